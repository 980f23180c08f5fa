#!/usr/bin/env bash
# Authenticode signing of the built setup.exe and setup64.exe, the way the
# build signs them (cmake/SignExecutable.cmake), with a throwaway self-signed
# certificate: each signed copy passes osslsigncode verify with a SHA-256
# digest, carries the same resources as the unsigned file (the package
# VOZ/KELTVOZ and the manifest among them), and two signings with the same
# certificate and signing time give the same bytes. The certificate and the
# signed copies stay in build/signing/ (first/ holds the copies to run).
set -euo pipefail
cd "$(dirname "$0")/../.."
out=build/signing
rm -rf "$out"
mkdir -p "$out/first" "$out/second"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway signer of the setup tests" \
  -keyout "$out/key.pem" -out "$out/cert.pem" 2>/dev/null
sign_time=$(date +%s)

sign() {
  cmake -DINPUT="$1" -DOUTPUT="$2" -DCERT="$out/cert.pem" -DKEY="$out/key.pem" -DTIME="$sign_time" \
    -P cmake/SignExecutable.cmake
}

fail() {
  echo "$1" >&2
  exit 1
}

for exe in build/mingw-i686/setup.exe build/mingw-x64/setup64.exe; do
  name=$(basename "$exe")
  signed="$out/first/$name"
  sign "$exe" "$signed"
  sign "$exe" "$out/second/$name"
  if ! osslsigncode verify -in "$signed" -CAfile "$out/cert.pem" >"$out/$name-verify.txt" 2>&1; then
    cat "$out/$name-verify.txt" >&2
    fail "osslsigncode verify rejects the signed $name"
  fi
  grep -q '^Message digest algorithm *: SHA256' "$out/$name-verify.txt" || fail "$name is not signed with SHA-256"
  tests/build/pe_resources.py list "$exe" >"$out/$name-unsigned.txt"
  tests/build/pe_resources.py list "$signed" >"$out/$name-signed.txt"
  diff "$out/$name-unsigned.txt" "$out/$name-signed.txt" >&2 || fail "the signed $name carries other resources"
  grep -q '^VOZ KELTVOZ 2052 ' "$out/$name-signed.txt" || fail "the signed $name carries no package"
  grep -q '^24 1 ' "$out/$name-signed.txt" || fail "the signed $name carries no manifest"
  cmp "$signed" "$out/second/$name" || fail "two signings of $name with the same certificate and time differ"
  echo "$name signed and verified (SHA-256), its $(wc -l <"$out/$name-signed.txt") resources unchanged," \
    "the same bytes at both signings ($(stat -c %s "$signed") bytes, $(sha256sum <"$signed" | cut -c1-16))"
done
