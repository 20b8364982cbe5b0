#!/usr/bin/env bash
# check_packages.sh: inspects the packages that scripts/package left in
# dist/, and runs what they hold. Needs the default and windows-x64 builds
# (build/, build-windows/) for the stand-in runtimes and the loader that
# stands in for openvr_api.dll; installs nothing into the system.
set -uo pipefail
source "$(dirname "$0")/checks.sh"
deb=$repo/dist/$deb_name
zip=$repo/dist/$zip_name

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
check "holds no openvr_api.dll of its own" sh -c "! grep -q openvr_api.dll '$work/zip-files'"
unzip -q "$zip" -d "$work/zip"
check "README says where openvr_api.dll comes from" has_line 'bin\\win64\\openvr_api.dll' \
  "$work/zip/$zip_top/README.txt"
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

# Given an SDK that has the DLL, the archive carries it.
sdk=$work/sdk
mkdir -p "$sdk/bin/win64"
cp "$repo/build-windows/bin/openvr_api.dll" "$sdk/bin/win64/"
(cd "$repo" && cmake --preset windows-release -B "$work/build-with-sdk" -DOPENVR_ROOT="$sdk" >/dev/null &&
  cmake --build "$work/build-with-sdk" -j "$(nproc)" >/dev/null &&
  cd "$work/build-with-sdk" && cpack -G ZIP >/dev/null)
check "with OPENVR_ROOT's DLL, the archive holds openvr_api.dll" sh -c \
  "unzip -Z1 '$work/build-with-sdk/vrenlist-$version-win64.zip' | grep -qx '$zip_top/openvr_api.dll'"

finish
