#!/usr/bin/env bash
# gen-certs.sh DIR: the TLS files of the simulated account service and its clients.
#   ca.crt / ca.key            the CA that signs the server and the accepted client
#   server.crt / server.key    the service, for localhost and 127.0.0.1
#   client.crt / client.key    the client; the key is encrypted with the pass phrase
#                              "vantrope" in traditional PEM form (AES-256), which both
#                              OpenSSL and mbed TLS 2.28 read
#   other-ca.crt, other-client.crt / other-client.key
#                              a second CA and a client it signed, which the service refuses
# Quick and unchanged when DIR already holds every file.
set -euo pipefail

DIR=${1:?usage: gen-certs.sh DIR}
PASS=vantrope
DAYS=3650
FILES=(ca.crt ca.key server.crt server.key client.crt client.key other-ca.crt other-ca.key other-client.crt other-client.key)

mkdir -p "$DIR"
DIR=$(cd "$DIR" && pwd)
complete() {
  for f in "${FILES[@]}"; do [ -s "$DIR/$f" ] || return 1; done
}
complete && exit 0
# Test programs started together may all ask for the files: one of them writes them.
exec 9>"$DIR/.gen-certs.lock"
flock 9
complete && exit 0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

new_ca() { # name subject
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.crt" -days "$DAYS" \
    -subj "$2" -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    2>/dev/null
}

sign() { # ca name subject extfile
  openssl req -new -newkey rsa:2048 -nodes -keyout "$2.key" -out "$2.csr" -subj "$3" 2>/dev/null
  openssl x509 -req -in "$2.csr" -CA "$1.crt" -CAkey "$1.key" -CAcreateserial -out "$2.crt" -days "$DAYS" \
    -sha256 -extfile "$4" 2>/dev/null
}

printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\nsubjectAltName=DNS:localhost,IP:127.0.0.1\n' >server.ext
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\nextendedKeyUsage=clientAuth\n' >client.ext

new_ca ca "/CN=Zelvane Sim CA"
sign ca server "/CN=localhost" server.ext
sign ca client-plain "/CN=zelvane-player" client.ext
new_ca other-ca "/CN=Other CA"
sign other-ca other-client-plain "/CN=zelvane-player" client.ext

encrypt() { # in out
  openssl rsa -in "$1" -aes256 -traditional -passout "pass:$PASS" -out "$2" 2>/dev/null
}
mv client-plain.crt client.crt
encrypt client-plain.key client.key
mv other-client-plain.crt other-client.crt
encrypt other-client-plain.key other-client.key

for f in "${FILES[@]}"; do cp "$f" "$DIR/$f"; done
chmod 600 "$DIR"/*.key
