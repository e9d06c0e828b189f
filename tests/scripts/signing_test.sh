#!/usr/bin/env bash
# scripts/sign against a throwaway code-signing certificate: each file it signs verifies against
# the certificate's root, one changed byte breaks the signature, and a missing certificate or a
# wrong password signs nothing.
# signing_test.sh <scripts/sign> <file to sign>...
set -u
source "$(cd "$(dirname "$0")" && pwd)/../support/checks.sh"
sign=$(realpath "$1")
shift
originals=()
for file in "$@"; do originals+=("$(realpath "$file")"); done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1

# A root and a code-signing certificate it issued, the latter with its key in a PKCS#12 file.
openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 2 \
  -subj "/CN=Throwaway test root" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign" 2>/dev/null || { echo "openssl: no root"; exit 1; }
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
  -subj "/CN=Throwaway code signer" 2>/dev/null || { echo "openssl: no request"; exit 1; }
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
openssl x509 -req -in signer.csr -CA root.pem -CAkey root.key -CAcreateserial -days 2 \
  -extfile signer.ext -out signer.pem 2>/dev/null || { echo "openssl: no certificate"; exit 1; }
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile root.pem \
  -passout pass:throwaway -out signer.p12 2>/dev/null || { echo "openssl: no PKCS#12"; exit 1; }

refuses() { ! "$@"; }
verifies() { osslsigncode verify -CAfile root.pem -in "$1"; }
signs() { RM_SIGN_PKCS12=$1 RM_SIGN_PASSWORD=$2 SOURCE_DATE_EPOCH=1700000000 "$sign" "$3"; }

for original in "${originals[@]}"; do
  name=$(basename "$original")
  cp "$original" "$name"
  check "$name is not signed before" refuses verifies "$name"
  check "scripts/sign signs $name" signs signer.p12 throwaway "$name"
  check "the signature of $name verifies against the root" verifies "$name"
  cp "$original" "second-$name"
  signs signer.p12 throwaway "second-$name" >/dev/null 2>&1
  check "signing $name twice at one time gives the same bytes" cmp "$name" "second-$name"

  # One byte in the middle of the signed content, well before the signature at the end.
  offset=$(($(stat -c %s "$original") / 2))
  byte=$(od -An -tu1 -j "$offset" -N1 "$name" | tr -d ' ')
  printf "$(printf '\\%03o' $(((byte + 1) % 256)))" |
    dd of="$name" bs=1 seek="$offset" conv=notrunc status=none
  check "one changed byte in $name fails verification" refuses verifies "$name"

  cp "$original" "unsigned-$name"
  check "a wrong password signs nothing" refuses signs signer.p12 wrong "unsigned-$name"
  check "without a certificate nothing is signed" refuses signs "" "" "unsigned-$name"
  check "a failed signing leaves $name as it was" cmp "$original" "unsigned-$name"
done

finish
