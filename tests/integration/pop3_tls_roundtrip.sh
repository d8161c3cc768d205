#!/usr/bin/env bash
# qelmail fetch against a private dovecot with STLS and POP3S, certificates made here (own CA):
# STLS and implicit TLS with --cacert, the settings of an accounts file (a pinned certificate),
# a wrong password, certificates of an unknown CA refused, and --new-only across runs (UIDL).
# Neither the password nor anything of the login ever shows in the tool's output.
# usage: pop3_tls_roundtrip.sh PATH/TO/qelmail
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d /tmp/qel.XXXXXX)
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
pop_port=$(free_port)
pops_port=$(free_port)
trap '"$root/scripts/pop3-server" stop "$work"; rm -rf "$work"' EXIT
fail() { echo "pop3_tls_roundtrip: $*" >&2; exit 1; }
password='tls pa55 wörd'

# Certificates: our CA and the server's (localhost and 127.0.0.1), and a CA nobody trusts.
certs="$work/certs"
mkdir -p "$certs"
ca() {  # NAME
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=QEL $1" -keyout "$certs/$1.key" \
    -out "$certs/$1.pem" 2>/dev/null
}
ca test-ca
ca other-ca
openssl req -newkey rsa:2048 -nodes -subj /CN=localhost -keyout "$certs/server.key" -out "$certs/server.csr" 2>/dev/null
printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' >"$certs/san.ext"
openssl x509 -req -in "$certs/server.csr" -CA "$certs/test-ca.pem" -CAkey "$certs/test-ca.key" -CAcreateserial \
  -days 2 -extfile "$certs/san.ext" -out "$certs/server.pem" 2>/dev/null
chmod 644 "$certs"/*.pem

"$root/scripts/pop3-server" start "$work" "$pop_port" tester "$password" --tls "$certs/server.pem" "$certs/server.key" \
  "$pops_port"
printf '%s\n' "$password" >"$work/password"

count=0
deliver() {  # SUBJECT
  count=$((count + 1))
  local file="$work/Maildir/new/100000$count.M$count.qel"
  printf 'From: Ann <ann@example.org>\r\nSubject: %s\r\nMessage-ID: <%s@example.org>\r\n\r\nBody %s\r\n' \
    "$1" "$count" "$count" >"$file"
  chown nobody:nogroup "$file"
}
deliver "first note"
deliver "second note"

# Runs fetch; EXPECT is the exit code wanted. Output in $work/out.txt and $work/err.txt.
fetch() {  # EXPECT ARGS...
  local expect=$1 rc=0
  shift
  timeout 60 "$tool" fetch --user tester --password-file "$work/password" --timeout 10 "$@" \
    >"$work/out.txt" 2>"$work/err.txt" </dev/null || rc=$?
  [ "$rc" -eq "$expect" ] || { cat "$work/out.txt" "$work/err.txt" >&2; fail "exit $rc, not $expect: $*"; }
  if grep -qF -- "$password" "$work/out.txt" "$work/err.txt"; then fail "the password shows in the output: $*"; fi
  if grep -qE -- '(PASS|AUTH) ' "$work/out.txt" "$work/err.txt"; then fail "a login line shows in the output: $*"; fi
}
says() { grep -qF -- "$1" "$work/$2" || { cat "$work/$2" >&2; fail "no '$1' in $2"; }; }
stls=(--server "127.0.0.1:$pop_port" --tls starttls)
pops=(--server "127.0.0.1:$pops_port" --tls implicit)

# 1. STLS and implicit TLS with our CA: both messages, -v names the protocol and the certificate.
fetch 0 "${stls[@]}" --cacert "$certs/test-ca.pem" -v
says "first note" out.txt && says "second note" out.txt
says "TLS: TLSv1." err.txt && says "certificate CN=localhost" err.txt
fetch 0 "${pops[@]}" --cacert "$certs/test-ca.pem" -v
says "second note" out.txt && says "TLS: TLSv1." err.txt
grep -q 'Login: user=<tester>.*TLS' "$work/dovecot/dovecot.log" || fail "dovecot logged no login over TLS"
grep 'Login: user=<tester>' "$work/dovecot/dovecot.log" | grep -qv 'TLS' && fail "a login went without TLS"

# 2. A wrong password is an authentication failure, and says nothing of the password.
printf 'wrong\n' >"$work/wrong"
rc=0
timeout 60 "$tool" fetch "${stls[@]}" --cacert "$certs/test-ca.pem" --user tester --password-file "$work/wrong" \
  >"$work/out.txt" 2>"$work/err.txt" </dev/null || rc=$?
[ "$rc" -eq 77 ] || { cat "$work/err.txt" >&2; fail "wrong password: exit $rc, not 77"; }
grep -q wrong "$work/err.txt" "$work/out.txt" && fail "the wrong password shows in the output"

# 3. The server's certificate is checked: an unknown CA (none given, or another one) is refused
#    before anything of the login is sent.
logins=$(grep -c 'Login: user=' "$work/dovecot/dovecot.log" || true)
for mode in stls pops; do
  declare -n args=$mode
  fetch 77 "${args[@]}"
  says "certificate" err.txt
  fetch 77 "${args[@]}" --cacert "$certs/other-ca.pem"
  says "certificate" err.txt
done
[ "$(grep -c 'Login: user=' "$work/dovecot/dovecot.log" || true)" -eq "$logins" ] || fail "a refused server got a login"

# 4. An accounts file: POP3S by name, a pinned certificate instead of a CA file.
pin=$(openssl x509 -in "$certs/server.pem" -noout -fingerprint -sha256 | cut -d= -f2)
cat >"$work/accounts.json" <<JSON
{"qelform": 1, "root": {"class": "TQELAccountHolder", "name": "Accounts", "properties": {"Accounts": [
  {"AccountName": "Secure", "Pop3Server": "127.0.0.1", "Pop3Port": $pops_port, "Username": "tester",
   "Pop3Security": "msImplicitTLS", "PinnedCertificate": "$pin", "Default": true}]}}}
JSON
fetch 0 --accounts "$work/accounts.json" -v
says "first note" out.txt && says "TLS: TLSv1." err.txt

# 5. --new-only: the second run fetches nothing new, a message delivered since is fetched alone.
export XDG_STATE_HOME="$work/state"
fetch 0 "${stls[@]}" --cacert "$certs/test-ca.pem" --new-only
says "first note" out.txt && says "second note" out.txt && says "fetched: 2 new" out.txt
seen="$XDG_STATE_HOME/qelmail/tester@127.0.0.1_$pop_port/seen-uids"
[ "$(wc -l <"$seen")" -eq 2 ] || fail "the seen list holds not 2 ids: $(cat "$seen")"
fetch 0 "${stls[@]}" --cacert "$certs/test-ca.pem" --new-only
says "fetched: 0 new" out.txt
deliver "third note"
fetch 0 "${stls[@]}" --cacert "$certs/test-ca.pem" --new-only --maildir "$work/kept"
says "third note" out.txt && says "fetched: 1 new" out.txt
grep -q "first note" "$work/out.txt" && fail "a message seen before was fetched again"
[ "$(find "$work/kept/new" -type f | wc -l)" -eq 1 ] || fail "the Maildir holds not exactly the new message"
[ "$(wc -l <"$seen")" -eq 3 ] || fail "the seen list holds not 3 ids"
# The accounts file's account keeps a list of its own.
sed -i 's/"Default": true/"Pop3NewOnly": true, "Default": true/' "$work/accounts.json"
fetch 0 --accounts "$work/accounts.json"
says "fetched: 3 new" out.txt
fetch 0 --accounts "$work/accounts.json"
says "fetched: 0 new" out.txt
[ -s "$XDG_STATE_HOME/qelmail/Secure/seen-uids" ] || fail "no seen list for the account"

echo "pop3_tls_roundtrip: passed"
