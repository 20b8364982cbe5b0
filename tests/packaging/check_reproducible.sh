#!/usr/bin/env bash
# check_reproducible.sh: the packages that scripts/package left in dist/
# must come out the same on another builder's machine: reprotest builds them
# once more, from a fresh clone, varying what such a machine varies, and
# compares with dist/. SHA256SUMS must check where a downloader keeps it. A
# throwaway certificate then signs the Windows executables: they verify and
# run, the signed archive is reproducible too, the password reaches no
# command line and no output, and a wrong password fails before anything is
# built. Needs the default and windows-x64 builds for the stand-in runtimes
# and the loader. Run as root: the second build runs as a build user of its
# own, which it adds.
set -uo pipefail
source "$(dirname "$0")/checks.sh"

# As a downloader checks: the packages and SHA256SUMS alone, elsewhere,
# named as they are there (a path into this machine would still resolve).
mkdir "$work/download"
cp "$repo/dist/$deb_name" "$repo/dist/$tgz_name" "$repo/dist/$zip_name" "$repo/dist/SHA256SUMS" "$work/download/"
check "SHA256SUMS checks beside the downloaded packages" sh -c "cd '$work/download' &&
  sha256sum --check --strict SHA256SUMS && ! cut -d' ' -f3- SHA256SUMS | grep /"

# The clone holds the last commit and any uncommitted work, as dist/ does.
clone=$work/elsewhere/vrenlist
git clone -q "$repo" "$clone"
(cd "$repo" && git ls-files -z --deleted) | (cd "$clone" && xargs -0 -r rm -f --)
(cd "$repo" && git ls-files -z --modified --others --exclude-standard) |
  while IFS= read -r -d '' file; do
    [ -f "$repo/$file" ] || continue
    mkdir -p "$(dirname "$clone/$file")"
    cp -p "$repo/$file" "$clone/$file"
  done

# One second build that differs from the first as another builder's machine
# would: build path, time zone (Pacific/Chatham, UTC+13:45: reprotest's own
# is a whole hour, so the build command sets this one), locale
# (et_EE.UTF-8, which sorts unlike C), umask, the clock (months later,
# through faketime), user and group (an unprivileged build user), the order
# in which directories list (disorderfs, which shuffles the build tree's
# listings: scripts/package's temporary folder goes inside it too), HOME, PATH
# and the environment.
echo "--- building again as another builder would, with reprotest"
build_user=vrenlist-build
id -u "$build_user" >/dev/null 2>&1 || useradd --system --user-group --no-create-home "$build_user"
# disorderfs runs as the build user; without udev, nothing opens the FUSE
# device to users.
chmod 666 /dev/fuse
# Debian 12's reprotest runs "sudo -h localhost ...", which this sudo takes
# for a remote host and refuses; the wrapper drops the option.
mkdir "$work/bin"
printf '#!/bin/sh\n[ "$1" = -h ] && [ "$2" = localhost ] && shift 2\nexec /usr/bin/sudo "$@"\n' \
  >"$work/bin/sudo"
chmod +x "$work/bin/sudo"
# dist/ is the first build, laid out as reprotest keeps a build's artifacts.
mkdir -p "$work/control/source-root/dist"
cp "$repo/dist/$deb_name" "$repo/dist/$tgz_name" "$repo/dist/$zip_name" "$work/control/source-root/dist/"
PATH=$work/bin:$PATH reprotest --verbosity 1 --store-dir "$work/reprotest" --control-build "$work/control" \
  --min-cpus 99 --variations "+all,-kernel,-domain_host,-num_cpus,\
user_group.available+=$build_user:$build_user,locales.locale=et_EE.UTF-8" \
  --build-command 'mkdir .tmp && TZ=Pacific/Chatham TMPDIR=$PWD/.tmp ./scripts/package' \
  "$clone" "dist/$deb_name dist/$tgz_name dist/$zip_name" \
  >"$work/reprotest.log" 2>&1
status=$?
check "reprotest ran the second build" sh -c "[ $status -le 1 ] || { tail -40 '$work/reprotest.log'; false; }"
varied='vary build_path.*vary time, vary user_group, vary fileordering.*vary locales.*vary timezone'
check "... varying all of that" has_line "$varied, vary umask" "$work/reprotest.log"
check "another builder's machine builds the same bytes" \
  sh -c "[ $status -eq 0 ] || { head -60 '$work/reprotest/experiment-1.diffoscope.out'; false; }"

echo "--- signing with a throwaway certificate"
certificate=$work/certificate
mkdir -m 700 "$certificate"
password="throwaway-$RANDOM$RANDOM"
printf '%s\n' "$password" >"$certificate/password"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=vrenlist test signing" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$certificate/key.pem" \
  -out "$certificate/certificate.pem" >/dev/null 2>&1
openssl pkcs12 -export -inkey "$certificate/key.pem" -in "$certificate/certificate.pem" \
  -passout "file:$certificate/password" -out "$certificate/signing.p12"

# Every osslsigncode and openssl call the packaging makes goes through a
# wrapper first on PATH that records its arguments, as a process list would
# show them.
mkdir "$work/spy"
for tool in osslsigncode openssl; do
  printf '#!/bin/sh\nprintf "%%s\\n" "$0 $*" >>"%s"\nexec %s "$@"\n' "$work/calls" \
    "$(command -v "$tool")" >"$work/spy/$tool"
  chmod +x "$work/spy/$tool"
done
signed_package() {  # signed_package PASSWORD_FILE: scripts/package in the clone, signing
  (cd "$clone" && PATH=$work/spy:$PATH VRENLIST_SIGN_PKCS12=$certificate/signing.p12 \
    VRENLIST_SIGN_PASSWORD_FILE=$1 ./scripts/package)
}
signed_package "$certificate/password" >"$work/signed.log" 2>&1
check "the signed build succeeds" test $? -eq 0
check "... signing through osslsigncode" has_line '/osslsigncode sign ' "$work/calls"
check "... with the password on no command line" sh -c "! grep -qF -- '$password' '$work/calls'"
signed=$work/signed.zip
cp "$clone/dist/$zip_name" "$signed"
unzip -q "$signed" -d "$work/signed"
for tool in vrenlist vrdelist vrcheck; do
  check "$tool.exe carries a signature that verifies" osslsigncode verify \
    -CAfile "$certificate/certificate.pem" -in "$work/signed/$zip_top/$tool.exe"
done
zipped_round_trip "$signed" "$work/signed-runtime" 2>"$work/signed-stderr"
check "the signed tools succeed under Wine (vrcheck.exe: status 3)" test $? -eq 0
check "... and the runtime got the registration" has_line \
  '^SetApplicationAutoLaunch "lumora.corvane" true$' "$work/signed-runtime/root/state/journal.log"
signed_package "$certificate/password" >"$work/signed-again.log" 2>&1
check "signing again gives the same archive" cmp "$signed" "$clone/dist/$zip_name"

printf 'not-the-password\n' >"$certificate/wrong"
state() { (cd "$clone/dist" && find . -printf '%p %s %T@\n' | sort && sha256sum ./*.deb ./*.tar.gz ./*.zip); }
state >"$work/dist-before"
signed_package "$certificate/wrong" >"$work/wrong.log" 2>&1
check "a wrong password fails" test $? -ne 0
check "... saying why" has_line '^package: cannot open the signing certificate' "$work/wrong.log"
check "... before building anything" sh -c "! grep -q 'Configuring\|Building\|CPack' '$work/wrong.log'"
state >"$work/dist-after"
check "... leaving dist/ as it was" diff "$work/dist-before" "$work/dist-after"
check "no password on any command line or in any output" sh -c \
  "! grep -qF -e '$password' -e not-the-password '$work/calls' '$work/wrong.log' '$work/signed.log' '$work/signed-again.log'"

finish
