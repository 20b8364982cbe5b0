#!/usr/bin/env bash
# check_roads.sh WINE EXE: runs the Windows build of vrenlist under Wine,
# beside the openvr_api.dll test double, and checks the usage road and the
# road where initialisation fails, line format included.
set -u
wine=$1
exe=$2
prefix=$(mktemp -d)
trap 'WINEPREFIX=$prefix "$(dirname "$wine")/wineserver" -k >/dev/null 2>&1; rm -rf "$prefix"' EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
failures=0

check() {  # check NAME EXPECTED_STATUS STATUS ERE ACTUAL_STDERR
  if [ "$3" -ne "$2" ] || ! printf '%s' "$5" | grep -qzE "$4"; then
    echo "FAIL: $1: status $3 (want $2), standard error:"
    printf '%s\n' "$5" | od -c | head -20
    failures=$((failures + 1))
  else
    echo "ok: $1"
  fi
}

# Wine's own start-up chatter can reach standard error on its first run.
"$wine" wineboot -i >/dev/null 2>&1

err=$("$wine" "$exe" 2>&1 >/dev/null); status=$?
err=${err//$'\r'/}
check "no argument gives the usage line" 2 "$status" '^usage: vrenlist <absolute-path-to\.vrmanifest>$' "$err"

err=$("$wine" "$exe" 'C:\apps\app.vrmanifest' 2>&1 >/dev/null); status=$?
err=${err//$'\r'/}
check "failed initialisation gives one ERROR line" 1 "$status" \
  '^\[([01][0-9]|2[0-3]):[0-5][0-9]:[0-6][0-9]\.[0-9]{3}\] \[ERROR\] VR_Init\(Utility\) failed: Hmd Not Found \(108\)$' \
  "$err"

echo "$((2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
