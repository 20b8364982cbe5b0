#!/usr/bin/env bash
# check_packages.sh: inspects the packages that scripts/package left in
# dist/, and runs what they hold. Needs the default and windows-x64 builds
# (build/, build-windows/) for the stand-in runtimes; installs nothing into
# the system.
set -uo pipefail
source "$(dirname "$0")/checks.sh"
deb=$repo/dist/$deb_name
zip=$repo/dist/$zip_name
# The SHA-256 of the SDK's openvr_api.dll, as the Windows build checks it.
openvr_sha256=$(sed -n 's/^set(_openvr_kept_sha256 \([0-9a-f]*\))$/\1/p' "$repo/cmake/windows/openvr_dll.cmake")

echo "--- $deb"
dpkg-deb -I "$deb" >"$work/info"
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/files"
check "control: package and version" has_line "^ Version: $version$" "$work/info"
for dependency in libopenvr-api1 libstdc\\+\\+6 libc6; do
  check "Depends names $dependency" has_line "^ Depends: .*$dependency \(" "$work/info"
done
for file in ./usr/bin/vrenlist ./usr/bin/vrdelist ./usr/bin/vrcheck \
  ./usr/share/man/man1/vrenlist.1.gz ./usr/share/man/man1/vrdelist.1.gz \
  ./usr/share/man/man1/vrcheck.1.gz ./usr/share/doc/vrenlist/copyright \
  ./usr/share/doc/vrenlist/changelog.gz ./usr/share/doc/vrenlist/vrcheck.schema.json; do
  check "holds $file" has_line "^${file//./\\.}$" "$work/files"
done
check "lintian: no errors or warnings" lintian --fail-on error,warning "$deb"

dpkg-deb -x "$deb" "$work/deb"
for tool in vrenlist vrdelist vrcheck; do
  binary=$work/deb/usr/bin/$tool
  check "$tool: PIE" sh -c "readelf -d '$binary' | grep -q 'FLAGS_1.*PIE'"
  check "$tool: full RELRO" sh -c "readelf -lW '$binary' | grep -q GNU_RELRO && readelf -d '$binary' | grep -q BIND_NOW"
  check "$tool: stack protector" sh -c "readelf --dyn-syms -W '$binary' | grep -q __stack_chk_fail"
  check "$tool: fortified" sh -c "readelf --dyn-syms -W '$binary' | grep -q '__[a-z]*_chk@'"
  check "$tool: stripped" sh -c "! readelf -SW '$binary' | grep -q '\.debug_\|\.symtab'"
  check "$tool: the man page renders cleanly" sh -c \
    "MANWIDTH=80 man --warnings -l '$work/deb/usr/share/man/man1/$tool.1.gz' 2>&1 >/dev/null | (! grep .)"
done

# The packaged tools' round trip: registered, checked (status 3: the example
# ships no binary), then removed again.
runtime=$work/linux-runtime
STANDIN_LIBRARY=$repo/build/standin_runtime/vrclient.so "$repo/scripts/with-standin-runtime" \
  "$runtime" sh -c '"$1/vrenlist" "$2" || exit; "$1/vrcheck" "$2"; [ $? -eq 3 ] && "$1/vrdelist" "$2"' \
  sh "$work/deb/usr/bin" "$repo/examples/lumora.vrmanifest" 2>"$work/deb-stderr"
check "the packaged vrenlist, vrcheck and vrdelist succeed" test $? -eq 0
check "... and vrcheck asked about auto-launch" has_line '^GetApplicationAutoLaunch ' \
  "$runtime/root/state/journal.log"
check "... and the runtime got both auto-launch calls" has_line \
  '^SetApplicationAutoLaunch "lumora.corvane" true$' "$runtime/root/state/journal.log"
check "... and the removal" has_line '^RemoveApplicationManifest ' "$runtime/root/state/journal.log"

echo "--- $zip"
unzip -Z1 "$zip" >"$work/zip-files"
for file in vrenlist.exe vrdelist.exe vrcheck.exe README.txt LICENSE.txt vrenlist.txt \
  vrdelist.txt vrcheck.txt vrcheck.schema.json \
  examples/installer/lumora.nsi examples/lumora.vrmanifest; do
  check "holds $file" has_line "^$zip_top/$file$" "$work/zip-files"
done
unzip -q "$zip" -d "$work/zip"
check "holds the SDK's openvr_api.dll" has_sum "$openvr_sha256" "$work/zip/$zip_top/openvr_api.dll"
check "... with the SDK's licence" cmp "$repo/third_party/openvr-1.23.7/LICENSE" \
  "$work/zip/$zip_top/openvr_api.LICENSE.txt"
check "README says what openvr_api.dll is, and its licence" has_line \
  'openvr_api.dll.*BSD|BSD.*openvr_api.dll' "$work/zip/$zip_top/README.txt"
for tool in vrenlist vrdelist vrcheck; do
  exe=$work/zip/$zip_top/$tool.exe
  check "$tool.exe: version resource, manifest, ASLR and NX" \
    /usr/bin/python3 "$repo/tests/packaging/check_pe_resources.py" "$exe" "$version"
  check "$tool.exe: stripped" sh -c "! x86_64-w64-mingw32-objdump -h '$exe' | grep -q '\.debug_'"
done

# The zipped tools' round trip under Wine.
zipped_round_trip "$zip" "$work/windows-runtime" 2>"$work/zip-stderr"
check "the zipped tools succeed under Wine (vrcheck.exe: status 3)" test $? -eq 0
check "... and vrcheck.exe asked about auto-launch" has_line '^GetApplicationAutoLaunch ' \
  "$work/windows-runtime/root/state/journal.log"
check "... and the runtime got the auto-launch call" has_line \
  '^SetApplicationAutoLaunch "lumora.corvane" true$' "$work/windows-runtime/root/state/journal.log"
check "... and the removal" has_line '^RemoveApplicationManifest ' \
  "$work/windows-runtime/root/state/journal.log"

# The example installer, built from the package's own folder as its README
# says, installs the SDK's DLL beside the tools and registers with it.
folder=$work/windows-runtime.zip/$zip_top
check "the example installer builds from the package's folder" sh -c \
  "cd '$folder' && makensis -V2 -DTOOLS_DIR=../.. -DOUTFILE='$work/lumora-setup.exe' examples/installer/lumora.nsi"
STANDIN_LIBRARY=$repo/build-windows/standin_runtime/vrclient_x64.dll "$repo/scripts/with-wine-prefix" \
  "$repo/scripts/with-standin-runtime" --windows "$work/installer-runtime" \
  sh -c '"$WINE" "$1" /S "/D=$2"' sh "$work/lumora-setup.exe" "Z:${work//\//\\}\\installed" \
  2>"$work/installer-stderr"
check "... and installs silently under Wine" test $? -eq 0
check "... laying the SDK's openvr_api.dll beside the tools" has_sum "$openvr_sha256" \
  "$work/installed/openvr_api.dll"
check "... with its licence" test -s "$work/installed/openvr_api.LICENSE.txt"
check "... and registers through it" has_line '^SetApplicationAutoLaunch "lumora.corvane" true$' \
  "$work/installer-runtime/root/state/journal.log"

# A build given an SDK takes that SDK's DLL, whatever its bytes.
sdk=$work/sdk
mkdir -p "$sdk/bin/win64"
{ cat "$repo/third_party/openvr-1.23.7/bin/win64/openvr_api.dll"; echo; } >"$sdk/bin/win64/openvr_api.dll"
(cd "$repo" && cmake --preset windows-release -B "$work/build-with-sdk" -DOPENVR_ROOT="$sdk" >/dev/null)
check "with OPENVR_ROOT's DLL, the build lays out that one" \
  cmp "$sdk/bin/win64/openvr_api.dll" "$work/build-with-sdk/bin/openvr_api.dll"

finish
