#!/usr/bin/env bash
# check_packages.sh: inspects the packages that scripts/package left in
# dist/, and runs what they hold: the .tar.gz in a minimal Debian root of
# its own too. Needs the default and windows-x64 builds (build/,
# build-windows/) for the stand-in runtimes; installs nothing into the
# system. Run as root (the minimal root is made and entered as root).
set -uo pipefail
source "$(dirname "$0")/checks.sh"
deb=$repo/dist/$deb_name
zip=$repo/dist/$zip_name
tgz=$repo/dist/$tgz_name
# The SHA-256 of the SDK's openvr_api.dll, as the Windows build checks it.
openvr_sha256=$(kept_sha256 bin/win64/openvr_api.dll)

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
  check "$tool: PIE, full RELRO, stack protector, fortified, stripped" hardened "$work/deb/usr/bin/$tool"
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

echo "--- $tgz"
tar --numeric-owner -tvzf "$tgz" >"$work/tgz-list"
awk '{print $6}' "$work/tgz-list" >"$work/tgz-files"
for file in bin/vrenlist bin/vrdelist bin/vrcheck lib/libopenvr_api.so lib/libopenvr_api.LICENSE \
  share/man/man1/vrenlist.1.gz share/man/man1/vrdelist.1.gz share/man/man1/vrcheck.1.gz \
  share/doc/vrenlist/vrcheck.schema.json README LICENSE; do
  check "holds $tgz_top/$file" has_line "^$tgz_top/${file//./\\.}$" "$work/tgz-files"
done
check "one top folder, every member owned by root" sh -c \
  "! grep -v '^$tgz_top/' '$work/tgz-files' && ! awk '\$2 != \"0/0\"' '$work/tgz-list' | grep ."
mkdir "$work/tgz"
tar -xzf "$tgz" -C "$work/tgz"
portable=$work/tgz/$tgz_top
check "holds the SDK's libopenvr_api.so" has_sum "$(kept_sha256 bin/linux64/libopenvr_api.so)" \
  "$portable/lib/libopenvr_api.so"
check "... with the SDK's licence" cmp "$repo/third_party/openvr-1.23.7/LICENSE" \
  "$portable/lib/libopenvr_api.LICENSE"
for tool in vrenlist vrdelist vrcheck; do
  binary=$portable/bin/$tool
  check "$tool: PIE, full RELRO, stack protector, fortified, stripped" hardened "$binary"
  # The SDK's library by its bare name (it has no SONAME), the C++ runtime
  # from the system, found through a RUNPATH relative to the binary.
  check "$tool: needs libopenvr_api.so, libstdc++.so.6, libgcc_s.so.1, libc.so.6, nothing more" \
    sh -c "readelf -d '$binary' | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | paste -sd' ' |
      grep -x 'libopenvr_api.so libstdc++.so.6 libgcc_s.so.1 libc.so.6'"
  check "$tool: RUNPATH \$ORIGIN/../lib, and no RPATH" sh -c \
    "readelf -d '$binary' | grep -F '(RUNPATH)  ' | grep -qF '[\$ORIGIN/../lib]' && ! readelf -d '$binary' | grep -q '(RPATH)'"
  check "$tool: needs nothing newer than glibc 2.34 and the C++ runtime of GCC 11" \
    needs_at_most "$binary" GLIBC_2.34 GLIBCXX_3.4.29 CXXABI_1.3.13
done

# The archive on a system with no OpenVR at all: a minimal Debian root with
# the C++ runtime, made from the machine's own package sources. The archive
# is unpacked under a folder whose name has a space and letters outside
# ASCII; a file named libopenvr_api.so that is no library lies where the
# system's libraries are, and must never be loaded in place of lib/'s.
echo "--- $tgz in a minimal Debian root"
root=$work/minimal-root
sources=()
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
  [ -s "$file" ] && sources+=("$file")
done
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
start=$SECONDS
check "mmdebstrap makes a minimal $suite root with libstdc++6" \
  mmdebstrap --quiet --variant=essential --include=libstdc++6 "$suite" "$root" "${sources[@]}"
echo "    (in $((SECONDS - start)) s)"
unpacked="/opt/with space/ünïcödé"
mkdir -p "$root$unpacked" "$root/opt/lumora" "$root/opt/standin/scripts"
tar -xzf "$tgz" -C "$root$unpacked"
cp "$repo/examples/lumora.vrmanifest" "$root/opt/lumora/"
cp "$repo/build/standin_runtime/vrclient.so" "$root/opt/standin/"
cp "$repo/scripts/with-standin-runtime" "$repo/scripts/common.sh" "$root/opt/standin/scripts/"
echo 'not a library' >"$root/usr/lib/x86_64-linux-gnu/libopenvr_api.so"
# in_root COMMAND...: COMMAND chrooted in the root, with a clean environment
# and /proc mounted in a mount namespace of its own, gone when it ends.
in_root() {
  unshare --mount --fork sh -c 'mount -t proc proc "$0/proc" && exec chroot "$0" "$@"' "$root" \
    env -i PATH=/usr/bin:/bin HOME=/root LANG=C.UTF-8 "$@"
}
in_root env STANDIN_LIBRARY=/opt/standin/vrclient.so /opt/standin/scripts/with-standin-runtime \
  /var/standin sh -c '"$1/vrenlist" "$2" || exit; "$1/vrcheck" --json "$2" >/var/report.json;
    [ $? -eq 3 ] && "$1/vrdelist" "$2"' sh "$unpacked/$tgz_top/bin" /opt/lumora/lumora.vrmanifest \
  2>"$work/root-stderr"
check "there, vrenlist, vrcheck --json (status 3) and vrdelist succeed" test $? -eq 0
check "... the runtime got the registration and the removal" sh -c \
  "grep -q '^SetApplicationAutoLaunch \"lumora.corvane\" true$' '$root/var/standin/root/state/journal.log' &&
   grep -q '^RemoveApplicationManifest ' '$root/var/standin/root/state/journal.log'"
check "... and vrcheck's report fits its schema, with status 3" python3 -c '
import json, sys, jsonschema
report = json.load(open(sys.argv[1]))
jsonschema.validate(report, json.load(open(sys.argv[2])))
assert report["status"] == 3, report["status"]' "$root/var/report.json" "$repo/docs/vrcheck.schema.json"
in_root env LD_DEBUG=libs "$unpacked/$tgz_top/bin/vrenlist" /opt/lumora/lumora.vrmanifest \
  2>"$work/no-runtime-stderr"
status=$?
check "with no runtime, vrenlist exits with 1" test $status -eq 1
check "... saying why in one ERROR line" has_line '^\[[0-9:.]{12}\] \[ERROR\] VR_Init\(Utility\) failed: ' \
  "$work/no-runtime-stderr"
check "... with no loader error" sh -c "! grep -i 'error while loading\|cannot open shared\|invalid ELF' '$work/no-runtime-stderr'"
check "... having loaded lib/'s libopenvr_api.so, not the system's namesake" grep -qF \
  "calling init: $unpacked/$tgz_top/bin/../lib/libopenvr_api.so" "$work/no-runtime-stderr"
# The same root has no apt-get: the set-up script stops before anything.
cp "$repo/scripts/setup" "$root/opt/standin/scripts/"
in_root /opt/standin/scripts/setup >"$work/setup-output" 2>&1
status=$?
check "there, scripts/setup stops at once with status 1, naming what a build needs" sh -c \
  "[ $status -eq 1 ] && grep -q 'nothing was changed' '$work/setup-output' &&
   grep -q 'C++17 compiler' '$work/setup-output' && grep -q 'CMake 3.25' '$work/setup-output' &&
   grep -q 'OPENVR_ROOT' '$work/setup-output'"

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

# A kept loader of other bytes stops the configure, naming both hashes.
tampered=$work/tampered
mkdir "$tampered"
(cd "$repo" && git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf -) |
  tar -xf - -C "$tampered"
for loader in bin/linux64/libopenvr_api.so:linux-portable bin/win64/openvr_api.dll:windows-release; do
  file=$tampered/third_party/openvr-1.23.7/${loader%%:*}
  echo >>"$file"
  (cd "$tampered" && cmake --preset "${loader#*:}") >"$work/tampered.log" 2>&1
  status=$?
  check "a kept ${loader%%:*} of other bytes stops the ${loader#*:} configure, naming both hashes" \
    sh -c "[ $status -ne 0 ] && grep -q '$(sha256sum <"$file" | cut -d' ' -f1)' '$work/tampered.log' &&
      grep -q '$(kept_sha256 "${loader%%:*}")' '$work/tampered.log'"
done

finish
