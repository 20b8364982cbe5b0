# Sourced by the package checks: where the packages are, a scratch
# directory removed on exit, and check(), which counts what passed.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
version=$(sed -n 's/^project(vrenlist VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
deb_name=vrenlist_${version}_amd64.deb
zip_name=vrenlist-${version}-win64.zip
zip_top=vrenlist-$version-win64
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

check() {  # check WHAT COMMAND...: the command's success is the check's
  local what=$1
  shift
  if "$@" >"$work/out" 2>&1; then
    echo "ok: $what"
    passed=$((passed + 1))
  else
    echo "FAIL: $what"
    sed 's/^/    /' "$work/out" | head -40
    failed=$((failed + 1))
  fi
}
has_line() { grep -qE "$1" "$2"; }  # has_line ERE FILE
has_sum() { [ "$(sha256sum <"$2")" = "$1  -" ]; }  # has_sum SHA256 FILE

# zipped_round_trip ZIP RUNTIME_DIR: unpacks a .zip and runs its vrenlist.exe,
# vrcheck.exe (status 3: the example ships no binary) and vrdelist.exe on the
# example manifest under Wine, with the SDK's openvr_api.dll the archive
# carries, against a Windows stand-in runtime in RUNTIME_DIR.
zipped_round_trip() {
  local unpacked=$2.zip
  unzip -q "$1" -d "$unpacked"
  local manifest=Z:${repo//\//\\}\\examples\\lumora.vrmanifest
  cat >"$unpacked/round-trip.sh" <<'SCRIPT'
"$WINE" "$1/vrenlist.exe" "$2" || exit
"$WINE" "$1/vrcheck.exe" "$2"
[ $? -eq 3 ] && "$WINE" "$1/vrdelist.exe" "$2"
SCRIPT
  STANDIN_LIBRARY=$repo/build-windows/standin_runtime/vrclient_x64.dll "$repo/scripts/with-wine-prefix" \
    "$repo/scripts/with-standin-runtime" --windows "$2" \
    bash "$unpacked/round-trip.sh" "$unpacked/$zip_top" "$manifest"
}

finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
