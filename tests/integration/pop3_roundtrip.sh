#!/usr/bin/env bash
# End to end: qelmail send -> real SMTP server -> shared Maildir -> real POP3 server -> qelmail fetch.
# Checks every attachment byte for byte, that --delete empties the mailbox, and that a session
# ended by an error deletes nothing.
# usage: pop3_roundtrip.sh PATH/TO/qelmail
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d /tmp/qel.XXXXXX)
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
smtp_port=$(free_port)
pop_port=$(free_port)
cleanup() {
  "$root/scripts/smtp-server" stop "$work"
  "$root/scripts/pop3-server" stop "$work"
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "pop3_roundtrip: $*" >&2; exit 1; }
mailbox_count() { find "$work/Maildir/new" "$work/Maildir/cur" -type f ! -name 'dovecot*' | wc -l; }

"$root/scripts/smtp-server" start "$work" "$smtp_port"
"$root/scripts/pop3-server" start "$work" "$pop_port" tester 'pa ss wörd'
printf 'pa ss wörd\n' >"$work/password"

mkdir -p "$work/out" "$work/files"
head -c 700001 /dev/urandom >"$work/files/data.bin"
printf 'alpha\r\nbeta\r\n' >"$work/files/notes.txt"
head -c 1 /dev/urandom >"$work/files/tiny.bin"
printf 'Hi,\n\nsee attached.\n' >"$work/body.txt"
send() {
  "$tool" send --server "127.0.0.1:$smtp_port" --from alice@example.org --from-name Alice \
    --to tester@example.org --subject "$1" --body-file "$work/body.txt" --line-pause 0 "${@:2}" >/dev/null
}
send "with files" --attach "$work/files/data.bin" --attach "$work/files/notes.txt" --attach "$work/files/tiny.bin"
send "plain"
[ "$(mailbox_count)" -eq 2 ] || fail "expected 2 messages in the mailbox, found $(mailbox_count)"

# 1. Read without deleting: both listed, attachments identical, mailbox unchanged.
"$tool" fetch --server "127.0.0.1:$pop_port" --user tester --password-file "$work/password" \
  --save-dir "$work/out" >"$work/fetch1.txt"
cat "$work/fetch1.txt"
grep -q "with files" "$work/fetch1.txt" || fail "first message not listed"
grep -q "plain" "$work/fetch1.txt" || fail "second message not listed"
for f in data.bin notes.txt tiny.bin; do
  cmp "$work/files/$f" "$work/out/$f" || fail "$f differs after the round trip"
done
[ "$(mailbox_count)" -eq 2 ] || fail "reading without --delete changed the mailbox"

# 2. A session ended by an error deletes nothing: the second message cannot be read by the server.
second=$(find "$work/Maildir" -type f -path '*/cur/*' ! -name 'dovecot*' | sort | tail -n 1)
chmod 000 "$second"
if "$tool" fetch --server "127.0.0.1:$pop_port" --user tester --password-file "$work/password" --delete \
  >"$work/fetch2.txt" 2>&1; then
  cat "$work/fetch2.txt"; fail "a fetch that met an unreadable message reported success"
fi
chmod 644 "$second"
[ "$(mailbox_count)" -eq 2 ] || fail "a session ended by an error deleted messages"

# 3. --delete empties the mailbox.
"$tool" fetch --server "127.0.0.1:$pop_port" --user tester --password-file "$work/password" --delete >/dev/null
[ "$(mailbox_count)" -eq 0 ] || fail "--delete left $(mailbox_count) message(s)"

# 4. A wrong password is an error, reported as such.
printf 'wrong\n' >"$work/bad"
if "$tool" fetch --server "127.0.0.1:$pop_port" --user tester --password-file "$work/bad" 2>"$work/err.txt"; then
  fail "a wrong password reported success"
fi
echo "pop3_roundtrip: passed"
