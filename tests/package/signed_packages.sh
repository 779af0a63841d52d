#!/usr/bin/env bash
# The release packages signed with a throwaway self-signed certificate made here:
# CPack signs the program before it packs it and makensis the installer (and the
# uninstaller inside, which installer_wine.sh checks once installed); the zip's
# program and the installer verify against the certificate, an unsigned installer
# does not, and a key kept in the source tree is refused.
#   signed_packages.sh BUILD_DIR OUT_DIR    (OUT_DIR gets the packages and throwaway-ca.pem)
set -euo pipefail
build=$(realpath "$1") out=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
sign=$root/scripts/sign.sh
fail() { echo "FAIL: $*" >&2; exit 1; }

secrets=$(mktemp -d)
trap 'rm -rf "$secrets"' EXIT
openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Corvalinth throwaway" \
  -addext extendedKeyUsage=codeSigning -keyout "$secrets/key.pem" -out "$secrets/cert.pem" \
  -passout pass:throwaway 2>/dev/null
printf 'throwaway' >"$secrets/password"
openssl pkcs12 -export -inkey "$secrets/key.pem" -passin pass:throwaway -in "$secrets/cert.pem" \
  -out "$secrets/cert.p12" -passout file:"$secrets/password"

rm -rf "$out"
mkdir -p "$out"
export CORVALINTH_SIGN_PKCS12=$secrets/cert.p12 CORVALINTH_SIGN_PASSWORD_FILE=$secrets/password
export CORVALINTH_SIGN_CAFILE=$secrets/cert.pem
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log" >&2; fail "the signed packages were not made"; }
setup=("$out"/Corvalinth-*-win64-setup.exe) zip=("$out"/Corvalinth-*-win64.zip)
"$sign" --verify "${zip[0]}" "${setup[0]}" || fail "a signed package does not verify"
for unsigned in "$build"/Corvalinth-*-win64-setup.exe; do
  ! "$sign" --verify "$unsigned" >/dev/null 2>&1 || fail "the unsigned $(basename "$unsigned") verifies"
done

# The PEM pair this time, its key in the build tree (inside the source tree).
mkdir -p "$out/key" && cp "$secrets/key.pem" "$out/key/"
refused=$(CORVALINTH_SIGN_PKCS12='' CORVALINTH_SIGN_CERT=$secrets/cert.pem CORVALINTH_SIGN_KEY=$out/key/key.pem \
            "$sign" "${setup[0]}" 2>&1) && fail "a key in the source tree was used"
grep -q 'inside the source tree' <<<"$refused" || fail "the refusal says: $refused"
rm -rf "$out/key"

cp "$secrets/cert.pem" "$out/throwaway-ca.pem"
echo "the zip's program and the installer are signed and verify; the key in the tree was refused"
