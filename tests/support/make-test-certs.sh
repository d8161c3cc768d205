#!/bin/bash
# Makes the certificates of the TLS tests in DIR (the tests' own CA, nothing of the system's):
#   ca.pem               the test CA
#   server.pem/.key      for localhost and 127.0.0.1, signed by the test CA
#   other.pem/.key       for other.example only, signed by the test CA (host name mismatch)
#   stranger.pem/.key    for localhost and 127.0.0.1, signed by an unknown CA (stranger-ca.pem)
set -euo pipefail
dir=${1:?usage: make-test-certs.sh DIR}
mkdir -p "$dir"
cd "$dir"
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:prime256v1 -out "$1" 2>/dev/null; }
ca() {  # NAME SUBJECT
  key "$1.key"
  openssl req -x509 -new -key "$1.key" -out "$1.pem" -days 2 -subj "$2" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign
}
leaf() {  # NAME CA SUBJECT SAN
  key "$1.key"
  openssl req -new -key "$1.key" -out "$1.csr" -subj "$3"
  printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$4" > "$1.ext"
  openssl x509 -req -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -CAcreateserial -out "$1.pem" -days 2 \
    -extfile "$1.ext" 2>/dev/null
  rm -f "$1.csr" "$1.ext"
}
ca ca "/CN=QEL Test CA"
ca stranger-ca "/CN=QEL Stranger CA"
leaf server ca "/CN=localhost" "DNS:localhost,IP:127.0.0.1"
leaf other ca "/CN=other.example" "DNS:other.example"
leaf stranger stranger-ca "/CN=localhost" "DNS:localhost,IP:127.0.0.1"
