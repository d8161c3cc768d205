#!/usr/bin/env bash
# End to end: qelmail send -> real SMTP server -> stored bytes checked by an independent MIME parser.
# usage: smtp_roundtrip.sh PATH/TO/qelmail
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d /tmp/qel.XXXXXX)
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
trap '"$root/scripts/smtp-server" stop "$work"; rm -rf "$work"' EXIT

"$root/scripts/smtp-server" start "$work" "$port"

# Attachments of awkward sizes and kinds: binary, empty, one byte, text with CR LF, a name with blanks.
head -c 300001 /dev/urandom >"$work/random.bin"
: >"$work/empty.dat"
printf 'x' >"$work/one.txt"
printf 'line one\r\n.line starting with a dot\r\nlast\r\n' >"$work/report.txt"
head -c 5000 /dev/urandom >"$work/photo of me.png"
printf 'Hello Bob,\n\n.a line that starts with a dot\n..and two\n.\nGrüße aus Köln\n' >"$work/body.txt"
printf -- '-- \nAlice\n' >"$work/sig.txt"

"$tool" send --server "127.0.0.1:$port" --from alice@example.org --from-name "Alice Example" \
  --reply-to replies@example.org --to "bob@example.net; carol@example.com;" \
  --subject "Quarterly report" --body-file "$work/body.txt" --signature-file "$work/sig.txt" \
  --attach "$work/random.bin" --attach "$work/empty.dat" --attach "$work/one.txt" \
  --attach "$work/report.txt" --attach "$work/photo of me.png" --line-pause 0 -v

cat >"$work/expect.json" <<JSON
{"from": "alice@example.org", "from_name": "Alice Example", "reply_to": "replies@example.org",
 "to": ["bob@example.net", "carol@example.com"], "subject": "Quarterly report",
 "body": $(/usr/bin/python3 -c 'import json,sys; print(json.dumps(open(sys.argv[1], encoding="utf-8").read()))' "$work/body.txt"),
 "signature": "-- \nAlice\n",
 "attachments": [
  {"path": "$work/random.bin", "name": "random.bin", "type": "application/octet-stream"},
  {"path": "$work/empty.dat", "name": "empty.dat", "type": "application/octet-stream"},
  {"path": "$work/one.txt", "name": "one.txt", "type": "text/plain"},
  {"path": "$work/report.txt", "name": "report.txt", "type": "text/plain"},
  {"path": "$work/photo of me.png", "name": "photo of me.png", "type": "image/png"}]}
JSON
/usr/bin/python3 "$here/check_sent.py" "$work/Maildir" "$work/expect.json"

# Header text beyond ASCII: subject, sender name and attachment names long enough for several
# encoded words and folded lines; the parser must decode them to the text given.
rm -f "$work"/Maildir/new/*
subject="Grüße aus Köln: der Quartalsbericht für das dritte Quartal, mit Übersicht und Anhängen (€)"
sender="Jürgen Müller-Lüdenscheidt"
long_name="Prüfbericht für das dritte Quartal – Übersicht der Ergebnisse €.txt"
printf 'Grüße\r\n' >"$work/$long_name"
printf 'x' >"$work/Ünïcödé.bin"
"$tool" send --server "127.0.0.1:$port" --from alice@example.org --from-name "$sender" \
  --to "bob@example.net" --subject "$subject" --body-file "$work/body.txt" \
  --attach "$work/$long_name" --attach "$work/Ünïcödé.bin" --line-pause 0
/usr/bin/python3 - "$work" "$subject" "$sender" "$long_name" >"$work/expect-8bit.json" <<'PY'
import json, sys
work, subject, sender, long_name = sys.argv[1:5]
print(json.dumps({"from": "alice@example.org", "from_name": sender, "reply_to": None,
                  "to": ["bob@example.net"], "subject": subject,
                  "body": open(work + "/body.txt", encoding="utf-8").read(), "signature": "",
                  "attachments": [
                      {"path": work + "/" + long_name, "name": long_name, "type": "text/plain"},
                      {"path": work + "/Ünïcödé.bin", "name": "Ünïcödé.bin", "type": "application/octet-stream"}]}))
PY
/usr/bin/python3 "$here/check_sent.py" "$work/Maildir" "$work/expect-8bit.json"
# Every header line stays within the limit, and the header is ASCII.
/usr/bin/python3 - "$work"/Maildir/new/* <<'PY'
import sys
head = open(sys.argv[1], "rb").read().split(b"\r\n\r\n")[0]
assert all(len(line) <= 78 for line in head.split(b"\r\n") if not line.startswith(b"Message-Id:")), head
assert all(b < 0x80 for b in head), head
PY

# A refused message must make the tool fail with the server's words.
rm -f "$work"/Maildir/new/*
if "$tool" send --server "127.0.0.1:1" --from a@b --to c@d --body-file "$work/sig.txt" 2>"$work/err.txt"; then
  echo "smtp_roundtrip: sending to a closed port succeeded" >&2; exit 1
fi
grep -q "Can not connect to server" "$work/err.txt" || { cat "$work/err.txt" >&2; exit 1; }
echo "smtp_roundtrip: passed"
