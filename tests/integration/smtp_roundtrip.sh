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

# A refused message must make the tool fail with the server's words.
rm -f "$work"/Maildir/new/*
if "$tool" send --server "127.0.0.1:1" --from a@b --to c@d --body-file "$work/sig.txt" 2>"$work/err.txt"; then
  echo "smtp_roundtrip: sending to a closed port succeeded" >&2; exit 1
fi
grep -q "Can not connect to server" "$work/err.txt" || { cat "$work/err.txt" >&2; exit 1; }
echo "smtp_roundtrip: passed"
