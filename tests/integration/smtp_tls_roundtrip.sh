#!/usr/bin/env bash
# End to end over TLS: qelmail send -> aiosmtpd with STARTTLS and AUTH, and with implicit TLS,
# checked against certificates this test makes (its own CA, an unknown CA, another host's name).
# usage: smtp_tls_roundtrip.sh PATH/TO/qelmail
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d /tmp/qel.XXXXXX)
chmod o+x "$work"  # the servers may run as another user, each in its own folder
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
servers=()
cleanup() {
  for d in "${servers[@]}"; do "$root/scripts/smtp-server" stop "$d"; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "smtp_tls_roundtrip: $*" >&2; exit 1; }

password='s3cret-Pa55'
plain_b64=$(printf '\0alice\0%s' "$password" | base64 -w0)
pass_b64=$(printf '%s' "$password" | base64 -w0)
"$root/tests/support/make-test-certs.sh" "$work/certs"
printf '%s\n' "$password" >"$work/password"
printf 'wrong\n' >"$work/wrong"
printf 'Hello over TLS\n' >"$work/body.txt"

# start NAME CERT MODE: a server in $work/NAME whose port goes to $port_NAME
start() {
  local dir=$work/$1 port
  port=$(free_port)
  mkdir -p "$dir"
  servers+=("$dir")
  "$root/scripts/smtp-server" start "$dir" "$port" --tls "$3" \
    --cert "$work/certs/$2.pem" --key "$work/certs/$2.key" --user alice --password "$password"
  printf -v "port_$1" '%s' "$port"
}
start starttls server starttls
start implicit server implicit
start stranger stranger starttls
start other other implicit

# send SERVER TLS SUBJECT [OPTION...]: the tool's output and errors go to $work/out
send() {
  local server=$1 tls=$2 subject=$3
  shift 3
  "$tool" send --server "$server" --tls "$tls" --auth-user alice --from alice@example.org \
    --to bob@example.net --subject "$subject" --body-file "$work/body.txt" -v "$@" >"$work/out" 2>&1
}
stored() { grep -lq "Subject: $2" "$work/$1"/Maildir/new/* 2>/dev/null; }
no_secret() {
  for s in "$password" "$plain_b64" "$pass_b64"; do
    if grep -qF -- "$s" "$work/out"; then cat "$work/out" >&2; fail "$1: a credential in the output"; fi
  done
}

# STARTTLS and AUTH, the server known by name, its CA given as the extra CA file.
send "localhost:$port_starttls" starttls "by starttls" --cacert "$work/certs/ca.pem" --password-file "$work/password" \
  || { cat "$work/out" >&2; fail "STARTTLS send failed"; }
stored starttls "by starttls" || fail "STARTTLS: message not stored"
grep -q "TLSv1.3" "$work/out" || { cat "$work/out" >&2; fail "-v shows no TLS protocol"; }
grep -q "CN=localhost" "$work/out" || { cat "$work/out" >&2; fail "-v shows no certificate subject"; }
no_secret "starttls"

# Implicit TLS by address, the password from the environment.
QELMAIL_PASSWORD=$password send "127.0.0.1:$port_implicit" implicit "by implicit" --cacert "$work/certs/ca.pem" \
  || { cat "$work/out" >&2; fail "implicit TLS send failed"; }
stored implicit "by implicit" || fail "implicit TLS: message not stored"
no_secret "implicit"

# expect_failure WHAT TEXT SERVER TLS [OPTION...]: the send fails, says TEXT, stores nothing
expect_failure() {
  local what=$1 text=$2 server=$3 tls=$4
  shift 4
  if send "$server" "$tls" "$what" "$@"; then cat "$work/out" >&2; fail "$what: succeeded"; fi
  grep -qF -- "$text" "$work/out" || { cat "$work/out" >&2; fail "$what: no '$text'"; }
  no_secret "$what"
}
expect_failure "wrong password" "authentication refused: 535" "localhost:$port_starttls" starttls \
  --cacert "$work/certs/ca.pem" --password-file "$work/wrong"
expect_failure "no extra CA" "certificate not trusted" "localhost:$port_starttls" starttls --password-file "$work/password"
expect_failure "unknown CA" "certificate not trusted" "localhost:$port_stranger" starttls \
  --cacert "$work/certs/ca.pem" --password-file "$work/password"
expect_failure "host mismatch" "certificate host name mismatch: expected localhost" "localhost:$port_other" implicit \
  --cacert "$work/certs/ca.pem" --password-file "$work/password"
for d in stranger other; do
  if ls "$work/$d"/Maildir/new/* >/dev/null 2>&1; then fail "$d: a message was stored"; fi
done
[ "$(ls "$work/starttls/Maildir/new" | wc -l)" -eq 1 ] || fail "the refused sends stored a message"
echo "smtp_tls_roundtrip: passed"
