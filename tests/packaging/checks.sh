# Sourced by the package checks: where the packages are, a scratch
# directory removed on exit, and check(), which counts what passed.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
version=$(sed -n 's/^project(vrenlist VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
deb_name=vrenlist_${version}_amd64.deb
zip_name=vrenlist-${version}-win64.zip
zip_top=vrenlist-$version-win64
tgz_name=vrenlist-${version}-linux-x86_64.tar.gz
tgz_top=vrenlist-$version
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
# kept_sha256 PATH: the SHA-256 the build checks the SDK's PATH (bin/...) against.
kept_sha256() { sed -n "s|^openvr_loader([A-Z_]* $1 \([0-9a-f]*\))$|\1|p" "$repo"/cmake/*/*.cmake; }

# hardened BINARY: as Debian builds its packages (CMakeLists.txt), and
# stripped. (grep -q ends a pipe early: no pipefail here.)
hardened() (
  set +o pipefail
  readelf -d "$1" | grep -q 'FLAGS_1.*PIE' || { echo "not PIE"; return 1; }
  readelf -lW "$1" | grep -q GNU_RELRO && readelf -d "$1" | grep -q BIND_NOW ||
    { echo "no full RELRO"; return 1; }
  readelf --dyn-syms -W "$1" | grep -q __stack_chk_fail || { echo "no stack protector"; return 1; }
  readelf --dyn-syms -W "$1" | grep -q '__[a-z]*_chk@' || { echo "not fortified"; return 1; }
  ! readelf -SW "$1" | grep -q '\.debug_\|\.symtab' || { echo "not stripped"; return 1; }
)

# needs_at_most BINARY VERSION...: for each VERSION (GLIBC_2.34, say), the
# newest symbol version of that name that BINARY needs is no newer.
needs_at_most() {
  local binary=$1 limit newest
  shift
  for limit in "$@"; do
    newest=$(objdump -T "$binary" | grep -o "\b${limit%_*}_[0-9.]*" | sort -Vu | tail -n 1)
    echo "${limit%_*}: needs ${newest:-nothing}, at most $limit"
    [ "$(printf '%s\n' "$limit" "$newest" | sort -V | tail -n 1)" = "$limit" ] || return 1
  done
}

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
