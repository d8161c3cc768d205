#!/usr/bin/env bash
# The qelmail tool as a user meets it: help and version, recipients, accounts files, exit codes
# that tell failure classes apart, truthful outcomes, against a real SMTP server and scripted peers.
# usage: tool_cli.sh PATH/TO/qelmail
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d /tmp/qel.XXXXXX)
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
port=$(free_port)
peer_pid=
trap '[ -z "$peer_pid" ] || kill "$peer_pid" 2>/dev/null; "$root/scripts/smtp-server" stop "$work"; rm -rf "$work"' EXIT
fail() { echo "tool_cli: $*" >&2; exit 1; }

"$root/scripts/smtp-server" start "$work" "$port"

# Runs the tool; EXPECT is the exit code wanted. Output in $work/out.txt and $work/err.txt.
run() {  # EXPECT ARGS...
  local expect=$1 rc=0
  shift
  timeout 60 "$tool" "$@" >"$work/out.txt" 2>"$work/err.txt" </dev/null || rc=$?
  [ "$rc" -eq "$expect" ] || { cat "$work/out.txt" "$work/err.txt" >&2; fail "exit $rc, not $expect: $*"; }
}
says() { grep -qF -- "$1" "$work/$2" || { cat "$work/$2" >&2; fail "no '$1' in $2"; }; }

# Starts a scripted peer with the given replies; its port lands in $peer_port.
peer() {
  rm -f "$work/peer.port"
  /usr/bin/python3 "$here/scripted_peer.py" "$work/peer.port" "$@" &
  peer_pid=$!
  for _ in $(seq 1 100); do [ -s "$work/peer.port" ] && break; sleep 0.05; done
  peer_port=$(cat "$work/peer.port")
}

# Help, version, usage errors.
run 0 --version && grep -qE '^qelmail [0-9]+\.[0-9]+\.[0-9]+$' "$work/out.txt" || fail "--version"
run 0 send --help && says "Usage: qelmail send [options]" out.txt && says "exit codes:" out.txt
run 0 fetch --version
run 64 send --server x --from a@b --to c@d --no-such-option
run 64 send --server x --from a@b --body-text x
run 64 frobnicate
# TLS, login and --new-only options: their help, and their mistakes refused before any connection.
run 0 fetch --help && says "--new-only" out.txt && says "--tls <mode>" out.txt && says "--cacert <file>" out.txt
run 0 send --help && says "--auth-user <name>" out.txt && says "--password-file <file>" out.txt
run 64 fetch --server 127.0.0.1:1 --user u --password-file /dev/null --tls ssl
says "--tls must be starttls, implicit or none" err.txt
run 64 send --server 127.0.0.1:1 --from a@b --to c@d --body-text x --tls starttls --cacert "$work/no-such-ca.pem"
says "no-such-ca.pem" err.txt
run 64 send --server 127.0.0.1:1 --from a@b --to c@d --body-text x --password-file /dev/null
says "--password-file needs --auth-user" err.txt
run 64 send --server 127.0.0.1:1 --from a@b --to c@d --body-text x --auth-user ''
# Implicit TLS has its own default port: nothing listens on 127.0.0.1:995 here.
run 69 fetch --server 127.0.0.1 --user u --password-file /dev/null --tls implicit --timeout 2
says "127.0.0.1:995" err.txt

# Recipients: repeated --to, lists with ',' and ';', quoted names keep their commas; Cc shown, Bcc not.
run 0 send --server "127.0.0.1:$port" --from alice@example.org --to bob@example.net \
  --to 'carol@example.com, "Brown, Dan" <dan@example.org>;' --cc erin@example.org --bcc "frank@example.org;" \
  --subject lists --body-text hello
/usr/bin/python3 - "$work/Maildir" <<'PY' || fail "recipients, Cc or Bcc went wrong"
import email, json, os, sys
folder = sys.argv[1]
(name,) = os.listdir(os.path.join(folder, "envelopes"))
rcpts = json.load(open(os.path.join(folder, "envelopes", name)))["rcpt_tos"]
assert rcpts == ["bob@example.net", "carol@example.com", "dan@example.org", "erin@example.org",
                 "frank@example.org"], rcpts
(stored,) = os.listdir(os.path.join(folder, "new"))
message = email.message_from_binary_file(open(os.path.join(folder, "new", stored), "rb"))
assert "erin@example.org" in message["Cc"], message["Cc"]
assert message["Bcc"] is None and b"frank" not in open(os.path.join(folder, "new", stored), "rb").read()
PY
rm -f "$work"/Maildir/new/* "$work"/Maildir/envelopes/*

# An accounts file gives server, port and sender; 'accounts' lists it without the password.
cat >"$work/accounts.json" <<JSON
{"qelform": 1, "root": {"class": "TQELAccountHolder", "name": "Accounts", "properties": {"Accounts": [
  {"AccountName": "Other", "SMTPServer": "127.0.0.1", "SMTPPort": 1, "Default": false},
  {"AccountName": "Work", "SMTPServer": "127.0.0.1", "SMTPPort": $port, "FromMail": "work@example.org",
   "Password": "do-not-show", "Default": true}]}}}
JSON
run 0 accounts --accounts "$work/accounts.json"
says "Work" out.txt
grep -q "do-not-show" "$work/out.txt" && fail "accounts shows a password"
run 0 send --accounts "$work/accounts.json" --to bob@example.net --body-text "from the account"
grep -q '"mail_from": "work@example.org"' "$work"/Maildir/envelopes/* || fail "the account's sender was not used"
run 64 send --accounts "$work/accounts.json" --account Nowhere --to bob@example.net --body-text x
says "no account named 'Nowhere'" err.txt
run 69 send --accounts "$work/accounts.json" --account other --from a@example.org --to bob@example.net --body-text x --timeout 2

# Failure classes through scripted peers.
peer "220 ready" "250 hello" "250 ok" "550 5.1.1 no such user"
run 65 send --server "127.0.0.1:$peer_port" --from a@example.org --to nobody@example.org --body-text x
says "550" err.txt
# A long refusal is shown whole, beyond the component's 64 characters.
long="550-5.7.1 This message was refused by the policy of this server\n550 5.7.1 see https://example.org/policy/very-long-explanation-for-the-refusal"
peer "220 ready" "250 hello" "$long"
run 65 send --server "127.0.0.1:$peer_port" --from a@example.org --to b@example.org --body-text x
says "very-long-explanation-for-the-refusal" err.txt
peer "421 4.3.2 busy, try later"
run 75 send --server "127.0.0.1:$peer_port" --from a@example.org --to b@example.org --body-text x
peer "554 5.3.2 no service for you"
run 69 send --server "127.0.0.1:$peer_port" --from a@example.org --to b@example.org --body-text x
# Accepted, then the session fails to close: sent, with a warning.
peer "220 ready" "250 hello" "250 ok" "250 ok" "354 go ahead" "DATA:250 queued" "CLOSE"
run 0 send --server "127.0.0.1:$peer_port" --from a@example.org --to b@example.org --body-text x
says "sent: 1 message(s)" out.txt
says "warning:" err.txt
# A server that never answers: the run ends within the time-out, as a temporary failure.
peer "220 ready" "SILENT"
start=$(date +%s)
run 75 send --server "127.0.0.1:$peer_port" --from a@example.org --to b@example.org --body-text x --timeout 2
[ $(( $(date +%s) - start )) -le 10 ] || fail "a silent server held the tool beyond its time-out"
says "within 2 s" err.txt
kill "$peer_pid" 2>/dev/null || true
# A server without STARTTLS while it is required; a login refused: their classes, and neither the
# password nor the AUTH argument in any output.
peer "220 ready" "250 hello"
run 69 send --server "127.0.0.1:$peer_port" --from a@example.org --to b@example.org --body-text x --tls starttls
says "STARTTLS" err.txt
printf 'p4ss-w0rd\n' >"$work/smtp-password"
auth=$(printf '\0ann\0p4ss-w0rd' | base64)
peer "220 ready" "250-hello\n250 AUTH PLAIN LOGIN" "535 5.7.8 authentication failed"
run 77 send --server "127.0.0.1:$peer_port" --from a@example.org --to b@example.org --body-text x \
  --auth-user ann --password-file "$work/smtp-password" -v
says "535" err.txt
if grep -qF -e p4ss-w0rd -e "$auth" "$work/out.txt" "$work/err.txt"; then fail "the password or the AUTH text shows"; fi
# Control characters from a server never reach the terminal raw.
peer "220 ready" "250 hello" "550 bad $(printf '\033')[31mred"
run 65 send --server "127.0.0.1:$peer_port" --from a@example.org --to b@example.org --body-text x
grep -q $'\033' "$work/err.txt" && fail "an escape character from the server reached the terminal"
says '\x1b' err.txt
wait "$peer_pid" 2>/dev/null || true
peer_pid=

echo "tool_cli: passed"
