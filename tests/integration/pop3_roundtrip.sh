#!/usr/bin/env bash
# End to end: qelmail send -> real SMTP server -> shared Maildir -> real POP3 server -> qelmail fetch.
# Checks every attachment byte for byte, that --maildir stores each message exactly as the server
# keeps it, that --delete (only with --maildir) empties the mailbox, that a session ended by an error
# or an interruption deletes nothing, duplicates and messages without a Message-ID, and hostile or
# encoded attachment names.
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
# The checksums of the messages in a Maildir (the server's: new/ and cur/; ours: new/), sorted.
sums() { find "$@" -type f ! -name 'dovecot*' -exec sha256sum {} + | cut -d' ' -f1 | sort; }
server_sums() { sums "$work/Maildir/new" "$work/Maildir/cur"; }
no_partial() { [ -z "$(ls -A "$1/tmp")" ] || fail "$1/tmp holds a partial message"; }

"$root/scripts/smtp-server" start "$work" "$smtp_port"
"$root/scripts/pop3-server" start "$work" "$pop_port" tester 'pa ss wörd'
printf 'pa ss wörd\n' >"$work/password"

mkdir -p "$work/out" "$work/files"
head -c 700001 /dev/urandom >"$work/files/data.bin"
printf 'alpha\r\nbeta\r\n' >"$work/files/notes.txt"
head -c 1 /dev/urandom >"$work/files/tiny.bin"
# Lines that begin with a dot travel dot-stuffed: the stored copy has them as sent.
printf 'Hi,\n\n.\n..two dots\nsee attached.\n' >"$work/body.txt"
send() {
  "$tool" send --server "127.0.0.1:$smtp_port" --from alice@example.org --from-name Alice \
    --to tester@example.org --subject "$1" --body-file "$work/body.txt" --line-pause 0 "${@:2}" >/dev/null
}
send "with files" --attach "$work/files/data.bin" --attach "$work/files/notes.txt" --attach "$work/files/tiny.bin"
send "plain"
[ "$(mailbox_count)" -eq 2 ] || fail "expected 2 messages in the mailbox, found $(mailbox_count)"

# 1. Read without deleting: both listed, attachments identical, every message stored byte for byte
#    as the server keeps it, mailbox unchanged.
"$tool" fetch --server "127.0.0.1:$pop_port" --user tester --password-file "$work/password" \
  --save-dir "$work/out" --maildir "$work/kept" >"$work/fetch1.txt"
cat "$work/fetch1.txt"
grep -q "with files" "$work/fetch1.txt" || fail "first message not listed"
grep -q "plain" "$work/fetch1.txt" || fail "second message not listed"
for f in data.bin notes.txt tiny.bin; do
  cmp "$work/files/$f" "$work/out/$f" || fail "$f differs after the round trip"
done
[ "$(mailbox_count)" -eq 2 ] || fail "reading without --delete changed the mailbox"
[ "$(sums "$work/kept/new")" = "$(server_sums)" ] || fail "the stored messages differ from the server's copies"
no_partial "$work/kept"

# 2. A session ended by an error deletes nothing: the second message cannot be read by the server.
second=$(find "$work/Maildir" -type f -path '*/cur/*' ! -name 'dovecot*' | sort | tail -n 1)
chmod 000 "$second"
if "$tool" fetch --server "127.0.0.1:$pop_port" --user tester --password-file "$work/password" --delete \
  --maildir "$work/kept2" >"$work/fetch2.txt" 2>&1; then
  cat "$work/fetch2.txt"; fail "a fetch that met an unreadable message reported success"
fi
chmod 644 "$second"
[ "$(mailbox_count)" -eq 2 ] || fail "a session ended by an error deleted messages"
no_partial "$work/kept2"

# 3. --delete empties the mailbox, once every message is stored; without --maildir it is refused.
rc=0
"$tool" fetch --server "127.0.0.1:$pop_port" --user tester --password-file "$work/password" --delete \
  >/dev/null 2>&1 || rc=$?
[ "$rc" -eq 64 ] || fail "--delete without --maildir: exit $rc, not 64"
[ "$(mailbox_count)" -eq 2 ] || fail "a refused --delete changed the mailbox"
before=$(server_sums)
"$tool" fetch --server "127.0.0.1:$pop_port" --user tester --password-file "$work/password" --delete \
  --maildir "$work/kept3" >/dev/null
[ "$(mailbox_count)" -eq 0 ] || fail "--delete left $(mailbox_count) message(s)"
[ "$(sums "$work/kept3/new")" = "$before" ] || fail "--delete lost or changed a message"

# 4. A wrong password is an error, reported as such.
printf 'wrong\n' >"$work/bad"
rc=0
"$tool" fetch --server "127.0.0.1:$pop_port" --user tester --password-file "$work/bad" 2>"$work/err.txt" || rc=$?
[ "$rc" -eq 77 ] || { cat "$work/err.txt" >&2; fail "a wrong password exited with $rc, not 77 (authentication)"; }

# 5. Messages put straight into the server's Maildir: one Message-ID twice (listed and stored once,
#    the repeat left on the server), two messages without a Message-ID (both), and attachments
#    named "..", with a NUL byte, with an escape sequence, RFC 2047 and RFC 2231 encoded.
/usr/bin/python3 - "$work/Maildir/new" <<'PY'
import os, sys
folder = sys.argv[1]
def part(header, data):
    return b"--zz\r\n" + header + b"\r\nContent-Transfer-Encoding: base64\r\n\r\n" + data + b"\r\n"
names = (b'From: =?UTF-8?Q?J=C3=B6rg?= <j@example.org>\r\nSubject: =?UTF-8?Q?Caf=C3=A9?= \x1b[31mred\r\n'
         b'Message-ID: <names@example.org>\r\nContent-Type: multipart/mixed; boundary=zz\r\n\r\n'
         b'--zz\r\nContent-Type: text/plain\r\n\r\nbody\r\n'
         + part(b'Content-Type: application/octet-stream; name=".."', b"ZG90cw==")
         + part(b'Content-Type: application/octet-stream; name="a\x00b.txt"', b"bnVs")
         + part(b'Content-Type: application/octet-stream; name="\x1b[31mred.txt"', b"ZXNj")
         + part(b'Content-Type: application/octet-stream; name="=?UTF-8?B?w6lsw6h2ZS50eHQ=?="', b"ZW5j")
         + part(b"Content-Type: application/octet-stream\r\nContent-Disposition: attachment;\r\n"
                b" filename*=UTF-8''%E2%82%AC-rate.txt", b"ZXVybw==")
         + b"--zz--\r\n")
messages = {"1.twin-one": b"Message-ID: <dup@example.org>\r\nSubject: twin one\r\n\r\nfirst\r\n",
            "2.twin-two": b"Message-ID: <dup@example.org>\r\nSubject: twin two\r\n\r\nsecond\r\n",
            "3.no-id-one": b"Subject: no id one\r\n\r\nA\r\n",
            "4.no-id-two": b"Subject: no id two\r\n\r\nB\r\n",
            "5.names": names}
for name, text in messages.items():
    path = os.path.join(folder, "170000000%s.qeltest" % name)
    open(path, "wb").write(text)
PY
chown nobody:nogroup "$work"/Maildir/new/*
twin_two=$(sha256sum "$work"/Maildir/new/*twin-two* | cut -d' ' -f1)
expected=$(server_sums | grep -v "$twin_two")
ls -A "$work" >"$work/before.txt"
timeout 60 "$tool" fetch --server "127.0.0.1:$pop_port" --user tester --password-file "$work/password" --delete \
  --maildir "$work/kept5" --save-dir "$work/out5" >"$work/fetch5.txt" 2>"$work/fetch5.err" \
  || { cat "$work/fetch5.txt" "$work/fetch5.err"; fail "the fetch of hostile messages failed"; }
cat "$work/fetch5.txt"
[ "$(grep -c 'twin one' "$work/fetch5.txt")" -eq 1 ] || fail "the first of two equal Message-IDs not listed once"
grep -q 'twin two' "$work/fetch5.txt" && fail "a repeated Message-ID was listed again"
grep -q 'no id one' "$work/fetch5.txt" && grep -q 'no id two' "$work/fetch5.txt" || fail "a message without Message-ID is missing"
[ "$(sums "$work/kept5/new")" = "$expected" ] || fail "the stored messages are not the server's, less the repeat"
[ "$(mailbox_count)" -eq 1 ] || fail "expected the repeat alone left on the server, found $(mailbox_count)"
grep -q $'\033' "$work/fetch5.txt" "$work/fetch5.err" && fail "an escape character reached the terminal"
grep -qF 'Café \x1b[31mred' "$work/fetch5.txt" || fail "the subject was not decoded and escaped"
grep -qF 'Jörg' "$work/fetch5.txt" || fail "the sender's name was not decoded"
for pair in "attachment-1:dots" "a_b.txt:nul" "_[31mred.txt:esc" "élève.txt:enc" "€-rate.txt:euro"; do
  name=${pair%%:*}
  [ "$(cat "$work/out5/$name" 2>/dev/null)" = "${pair#*:}" ] || { ls -la "$work/out5"; fail "attachment $name not saved"; }
done
[ "$(ls -A "$work/out5" | wc -l)" -eq 5 ] || { ls -la "$work/out5"; fail "unexpected files in the save folder"; }
ls -A "$work" | grep -vx 'out5\|kept5\|fetch5.txt\|fetch5.err\|before.txt' | diff - <(grep -vx 'before.txt' "$work/before.txt") \
  || fail "a name reached outside the save folder"
no_partial "$work/kept5"

# 6. Interrupted while a large message is read: no partial file, and nothing deleted.
head -c $((30 * 1024 * 1024)) /dev/urandom >"$work/files/large.bin"
send "large" --attach "$work/files/large.bin"
[ "$(mailbox_count)" -eq 2 ] || fail "the large message did not arrive"
"$tool" fetch --server "127.0.0.1:$pop_port" --user tester --password-file "$work/password" --delete \
  --maildir "$work/kept6" --save-dir "$work/out6" >"$work/fetch6.txt" 2>&1 &
fetch_pid=$!
for _ in $(seq 1 400); do
  [ -n "$(ls -A "$work/kept6/tmp" 2>/dev/null)" ] && [ -n "$(ls -A "$work/kept6/new" 2>/dev/null)" ] && break
  sleep 0.01
done
kill -INT "$fetch_pid" 2>/dev/null || fail "the fetch ended before it could be interrupted"
rc=0
wait "$fetch_pid" || rc=$?
[ "$rc" -eq 130 ] || { cat "$work/fetch6.txt"; fail "an interrupted fetch exited $rc, not 130"; }
no_partial "$work/kept6"
[ -z "$(ls -A "$work/out6" 2>/dev/null)" ] || fail "an interrupted fetch left a file in the save folder"
[ "$(mailbox_count)" -eq 2 ] || fail "an interrupted fetch deleted messages"
echo "pop3_roundtrip: passed"
