#!/bin/sh
# Builds the program twice, signed with a self-made certificate, in two
# different folders, and checks that both builds give the same bytes and
# that the signature verifies with osslsigncode and, under Wine, with
# WinVerifyTrust and the certificate's thumbprint.
#   signed_reproducible.sh <source folder> <windows build folder>
set -eu
src=$1 build=$2
work=$build/reproducible
rm -rf "$work"
mkdir -p "$work"
signing=$src/tests/fixtures/signing

# The tests' own certificate as a PKCS#12 file with a password from a file.
printf 'kit-test-password\n' >"$work/password.txt"
openssl pkcs12 -export -in "$signing/pinned.crt" -inkey "$signing/pinned.key" -out "$work/maker.pfx" \
  -passout "file:$work/password.txt" -name "Quarlo test signer"

export SOURCE_DATE_EPOCH=1765411200  # a fixed signing time
for copy in first second; do
  started=$(date +%s)
  cmake -S "$src" -B "$work/$copy" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" \
    -DSIGN_PFX="$work/maker.pfx" -DSIGN_PASSWORD_FILE="$work/password.txt" >"$work/$copy.log" 2>&1
  cmake --build "$work/$copy" --target QuarloFetchwell -j "$(nproc 2>/dev/null || echo 2)" >>"$work/$copy.log" 2>&1 ||
    { cat "$work/$copy.log"; exit 1; }
  echo "$copy build: $(( $(date +%s) - started )) s"
done

a=$work/first/QuarloFetchwell.exe b=$work/second/QuarloFetchwell.exe
if ! cmp "$a" "$b"; then
  echo "FAIL: two builds of the same sources differ"
  exit 1
fi
echo "both builds: $(wc -c <"$a") bytes, identical (sha256 $(sha256sum "$a" | cut -c1-16)...)"

osslsigncode verify -in "$a" -CAfile "$signing/pinned.crt" >"$work/verify.log" 2>&1 ||
  { cat "$work/verify.log"; echo "FAIL: osslsigncode does not verify the signature"; exit 1; }
grep -q "Signature verification: ok" "$work/verify.log" || { cat "$work/verify.log"; exit 1; }
grep -q "Message digest algorithm  : SHA256" "$work/verify.log" || { echo "FAIL: not a SHA-256 signature"; exit 1; }

thumbprint=$(openssl x509 -in "$signing/pinned.crt" -outform der | sha256sum | cut -d' ' -f1)
other=$(openssl x509 -in "$signing/other.crt" -outform der | sha256sum | cut -d' ' -f1)
wine "$build/check_signature.exe" "$a" "$thumbprint" | grep -q "signed=1" ||
  { echo "FAIL: WinVerifyTrust refuses the signed program"; exit 1; }
if wine "$build/check_signature.exe" "$a" "$other" | grep -q "signed=1"; then
  echo "FAIL: the signature passes for a certificate that did not make it"
  exit 1
fi
# An unsigned build fails the same check: the check can tell.
wine "$build/check_signature.exe" "$build/QuarloFetchwell.exe" "$thumbprint" | grep -q "signed=0" ||
  { echo "FAIL: an unsigned program passes"; exit 1; }
echo "signature: osslsigncode verify ok, WinVerifyTrust ok, signer $thumbprint"
