#!/usr/bin/env bash
# Tests the signing of the download: makes a throwaway self-signed code
# signing certificate with openssl, runs `make dist` with it, and checks the
# signatures of velmora.exe (as it is in the zip and in the package) and of
# the package with `osslsigncode verify`. Then makes the download again
# without it and checks that it is unsigned: the zip's exe the linked
# bytes. Leaves build/dist unsigned, as `make dist` makes it.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -nE 's/^project\(velmora VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
zip=build/dist/velmora-$version-win64.zip
msi=build/dist/velmora-$version-x64.msi
work=build/sign-test
rm -rf "$work"; mkdir -p "$work"

fail() { echo "sign-test: FAILED: $*" >&2; exit 1; }
ok() { echo "sign-test: ok: $*"; }
has() { grep -qF -- "$1"; }
# member NAME: the zip's file NAME, to the standard output.
member() {
  python3 -c 'import sys, zipfile; sys.stdout.buffer.write(
    zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))' "$zip" "$1"
}
verify() { # verify FILE WHAT
  osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log"; fail "$2 does not verify"; }
  grep -qE "^Message digest algorithm *: SHA256" "$work/verify.log" ||
    fail "$2 is not signed with SHA-256"
}

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Velmora test" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" \
  -out "$work/cert.pem" 2>/dev/null
printf 'a throwaway password\n' >"$work/password"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" \
  -passout file:"$work/password" -out "$work/test.pfx"

make dist SIGN_PFX="$work/test.pfx" SIGN_PASS_FILE="$work/password" >/dev/null
member velmora.exe >"$work/zip.exe"
verify "$work/zip.exe" "velmora.exe in the zip"
msiextract -C "$work/msi" "$msi" >/dev/null
verify "$(find "$work/msi" -name velmora.exe)" "velmora.exe in the package"
verify "$msi" "the package"
member SHA256SUMS |
  has "$(sha256sum <"$work/zip.exe" | cut -d' ' -f1)  velmora.exe" ||
  fail "SHA256SUMS does not name the signed exe"
ok "velmora.exe and the package signed with SHA-256, and verify"

# A certificate without its password file is refused with a message.
if make dist SIGN_PFX="$work/test.pfx" >"$work/refused.log" 2>&1; then
  fail "a PFX without SIGN_PASS_FILE signed"
fi
grep -q "SIGN_PASS_FILE must name a readable file" "$work/refused.log" ||
  fail "no message for the missing password file"
ok "a certificate without its password is refused"

make dist >/dev/null
member velmora.exe >"$work/zip.exe"
cmp -s "$work/zip.exe" build/win64/velmora.exe ||
  fail "the unsigned zip's exe is not the linked one"
! osslsigncode verify -in "$msi" >/dev/null 2>&1 || fail "the package is signed"
ok "without a certificate nothing is signed"
