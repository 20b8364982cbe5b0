#!/usr/bin/env bash
# check_reproducible.sh: the packages that scripts/package left in dist/
# are built again from a fresh clone in another directory, later, under
# another umask, and must be the same bytes. SHA256SUMS must check. A
# throwaway certificate then signs the Windows executables: they verify and
# run, the signed archive is reproducible too, and a wrong password fails
# before anything is built. Needs the default and windows-x64 builds for the
# stand-in runtimes and the loader; installs nothing into the system.
set -uo pipefail
source "$(dirname "$0")/checks.sh"

check "SHA256SUMS checks" sh -c "cd '$repo/dist' && sha256sum --check --strict SHA256SUMS"

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

echo "--- building again in $clone, umask 077"
(umask 077 && cd "$clone" && LANG=de_DE.UTF-8 ./scripts/package) >"$work/rebuild.log" 2>&1
check "the second build succeeds" test $? -eq 0
for package in "$deb_name" "$zip_name"; do
  if cmp -s "$repo/dist/$package" "$clone/dist/$package"; then
    check "$package is the same, byte for byte" true
  else
    diffoscope --text - "$repo/dist/$package" "$clone/dist/$package" 2>&1 | head -60 >"$work/differences"
    check "$package is the same, byte for byte" sh -c "cat '$work/differences'; false"
  fi
done

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

signed_package() {  # signed_package PASSWORD_FILE: scripts/package in the clone, signing
  (cd "$clone" && VRENLIST_SIGN_PKCS12=$certificate/signing.p12 VRENLIST_SIGN_PASSWORD_FILE=$1 \
    ./scripts/package)
}
signed_package "$certificate/password" >"$work/signed.log" 2>&1
check "the signed build succeeds" test $? -eq 0
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
state() { (cd "$clone/dist" && find . -printf '%p %s %T@\n' | sort && sha256sum ./*.deb ./*.zip); }
state >"$work/dist-before"
signed_package "$certificate/wrong" >"$work/wrong.log" 2>&1
check "a wrong password fails" test $? -ne 0
check "... saying why" has_line '^package: cannot open the signing certificate' "$work/wrong.log"
check "... before building anything" sh -c "! grep -q 'Configuring\|Building\|CPack' '$work/wrong.log'"
state >"$work/dist-after"
check "... leaving dist/ as it was" diff "$work/dist-before" "$work/dist-after"
check "... and showing no password" sh -c "! grep -q -e '$password' -e not-the-password '$work/wrong.log' '$work/signed.log'"

finish
