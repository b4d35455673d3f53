#!/usr/bin/env bash
# Makes signed and spoilt copies of a stand-in installer for the signature tests,
# and signed copies of the stand-in programs that the other tests install.
# Usage: sign-installers.sh OUT_DIR SIGNER INSTALLER.exe [PROGRAM.exe...]
#   OUT_DIR/trusted-ca.pem is the CA for the Wine prefix to trust (wine-session.sh
#   does that), OUT_DIR/user-trusted-ca.pem one that only its user trusts. The keys are made afresh on every run and never leave OUT_DIR.
#   Each program, the installer included, is in OUT_DIR/signed-programs under its
#   own name, signed by SIGNER. The copies of the installer:
#     signed.exe          signed by SIGNER under the trusted CA
#     tampered.exe        signed.exe with one byte of its code changed after signing
#     unsigned.exe        the installer as it is
#     other-signer.exe    signed by another subject under the trusted CA
#     untrusted-ca.exe    signed by SIGNER under a CA nobody trusts, that CA embedded
#     partial-chain.exe   the same without the CA
#     user-root.exe       signed by SIGNER under the CA that only the user trusts
set -euo pipefail

out=$(realpath -m "$1")
signer=$2
installer=$(realpath "$3")
programs=()
for program in "${@:3}"; do
    programs+=("$(realpath "$program")")
done

rm -rf "$out"
mkdir -p "$out/keys"
cd "$out/keys"

make_ca()
{
    openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -utf8 -subj "/CN=$2" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
        -keyout "$1.key" -out "$1.pem" 2>/dev/null
}

make_signer()
{
    openssl req -newkey rsa:2048 -nodes -sha256 -utf8 -subj "/CN=$3" -keyout "$1.key" -out "$1.csr" 2>/dev/null
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' > "$1.ext"
    openssl x509 -req -sha256 -days 2 -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -CAcreateserial \
        -extfile "$1.ext" -out "$1.pem" 2>/dev/null
}

sign()
{
    local from=$1 to=$2 key=$3
    shift 3
    osslsigncode sign -certs "$key.pem" -key "$key.key" -h sha256 "$@" -in "$from" -out "$to" >/dev/null
}

make_ca trusted "Quenz Test Root"
make_ca stranger "Quenz Stranger Root"
make_ca userroot "Quenz User Root"
make_signer maker trusted "$signer"
make_signer other trusted "Someone Else"
make_signer lost stranger "$signer"
make_signer byuser userroot "$signer"

sign "$installer" "$out/signed.exe" maker -ac trusted.pem
sign "$installer" "$out/other-signer.exe" other -ac trusted.pem
sign "$installer" "$out/untrusted-ca.exe" lost -ac stranger.pem
sign "$installer" "$out/partial-chain.exe" lost
sign "$installer" "$out/user-root.exe" byuser -ac userroot.pem

mkdir -p "$out/signed-programs"
for program in "${programs[@]}"; do
    sign "$program" "$out/signed-programs/$(basename "$program")" maker -ac trusted.pem
done
cp "$installer" "$out/unsigned.exe"
cp trusted.pem "$out/trusted-ca.pem"
cp userroot.pem "$out/user-trusted-ca.pem"

# One byte inside the code, well before the signature at the end of the file.
cp "$out/signed.exe" "$out/tampered.exe"
offset=$(( $(stat -c %s "$installer") / 2 ))
byte=$(od -An -tu1 -j "$offset" -N1 "$out/tampered.exe" | tr -d ' ')
printf "$(printf '\\%03o' $(( byte ^ 1 )))" | dd of="$out/tampered.exe" bs=1 seek="$offset" conv=notrunc status=none
