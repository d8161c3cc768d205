#!/usr/bin/env bash
# End to end: qelmail mapi-send and quick-send -> Simple MAPI provider -> msmtp as sendmail ->
# real SMTP server; the stored bytes checked by an independent MIME parser.
# usage: mapi_roundtrip.sh PATH/TO/qelmail
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d /tmp/qel.XXXXXX)
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
trap '"$root/scripts/smtp-server" stop "$work"; rm -rf "$work"' EXIT
fail() { echo "mapi_roundtrip: $*" >&2; exit 1; }
# A JSON string: the first argument followed by the contents of the files named after it.
json_text() { /usr/bin/python3 -c 'import json,sys; print(json.dumps(sys.argv[1] + "".join(open(f, encoding="utf-8").read() for f in sys.argv[2:])))' "$@"; }
clear_sink() { rm -f "$work"/Maildir/new/* "$work"/Maildir/envelopes/*; }

"$root/scripts/smtp-server" start "$work" "$port"

# The registry value that enables MAPI, and the provider's profiles, in private XDG folders.
export XDG_CONFIG_HOME="$work/home" XDG_CONFIG_DIRS="$work/dirs"
mkdir -p "$XDG_CONFIG_HOME/qel" "$XDG_CONFIG_DIRS/qel/registry"
printf '[SOFTWARE\\Microsoft\\Windows Messaging Subsystem]\nMAPI = 1\n' \
  >"$XDG_CONFIG_DIRS/qel/registry/HKEY_LOCAL_MACHINE.ini"
cat >"$work/msmtprc" <<RC
account default
host 127.0.0.1
port $port
auth off
tls off
RC
chmod 600 "$work/msmtprc"
# The envelope sender comes from the profile's From header.
printf '#!/bin/sh\nexec /usr/bin/msmtp -C "%s" --read-envelope-from "$@"\n' "$work/msmtprc" >"$work/sendmail"
chmod 755 "$work/sendmail"
printf 'Bob Brown = bob@example.net\n' >"$work/book.txt"
cat >"$XDG_CONFIG_HOME/qel/mapi-profiles.ini" <<INI
[General]
DefaultProfile = Quick

[Office]
Password = s3cret
From = alice@example.org
SendmailPath = $work/sendmail
AddressBook = $work/book.txt

[Quick]
From = quick@example.org
SendmailPath = $work/sendmail
INI

head -c 100001 /dev/urandom >"$work/random.bin"
printf 'line one\r\nline two\r\n' >"$work/notes.txt"
printf 'Hello Bob,\n\n.\n.a line that starts with a dot\nGrüße aus Köln\n' >"$work/body.txt"
printf -- '-- \nAlice\n' >"$work/sig.txt"
subject='Quarterly report – Köln'

QELMAIL_MAPI_PASSWORD=s3cret "$tool" mapi-send --profile Office --to "Bob Brown" --to carol@example.com \
  --cc dave@example.org --bcc eve@example.net --subject "$subject" --body-file "$work/body.txt" \
  --signature-file "$work/sig.txt" --attach "$work/random.bin" --attach "$work/notes.txt" --receipt

# The component puts one blank per attachment before the text: the places the attachments once took.
cat >"$work/expect.json" <<JSON
{"mail_from": "alice@example.org",
 "rcpt_tos": ["bob@example.net", "carol@example.com", "dave@example.org", "eve@example.net"],
 "from": "alice@example.org",
 "to": [["Bob Brown", "bob@example.net"], ["", "carol@example.com"]],
 "cc": [["", "dave@example.org"]],
 "subject": $(json_text "$subject"),
 "body": $(json_text "  " "$work/body.txt" "$work/sig.txt"),
 "receipt": true,
 "attachments": [{"path": "$work/random.bin", "name": "random.bin"},
                 {"path": "$work/notes.txt", "name": "notes.txt"}]}
JSON
/usr/bin/python3 "$here/check_mapi.py" "$work/Maildir" "$work/expect.json"

clear_sink
"$tool" quick-send --to-name "Frank Example" --to frank@example.com --subject "Short note" \
  --body-text $'First line\nsecond line'
cat >"$work/expect.json" <<JSON
{"mail_from": "quick@example.org", "rcpt_tos": ["frank@example.com"], "from": "quick@example.org",
 "to": [["Frank Example", "frank@example.com"]], "cc": [], "subject": "Short note",
 "body": "First line\nsecond line\n", "receipt": true, "attachments": []}
JSON
/usr/bin/python3 "$here/check_mapi.py" "$work/Maildir" "$work/expect.json"

# Failures: each names its cause, exits 1 and sends nothing.
clear_sink
expect_failure() {  # WORDS, then the command line
  local words=$1 rc=0
  shift
  "$@" >"$work/out.txt" 2>"$work/err.txt" </dev/null || rc=$?
  [ "$rc" -eq 1 ] || { cat "$work/err.txt" >&2; fail "exit status $rc, not 1, from: $*"; }
  grep -qF -- "$words" "$work/err.txt" || { cat "$work/err.txt" >&2; fail "no '$words' from: $*"; }
}
# Without a default profile to fall back on, a wrong password ends the run at the logon.
mkdir -p "$work/strict/qel"
sed -n '/^\[Office\]/,$p' "$XDG_CONFIG_HOME/qel/mapi-profiles.ini" | sed '/^\[Quick\]/,$d' \
  >"$work/strict/qel/mapi-profiles.ini"
expect_failure "logon to profile 'Office' failed with MAPI code" \
  env XDG_CONFIG_HOME="$work/strict" "$tool" mapi-send --profile Office --password wrong --to x@example.org --body-text x
# An unresolved recipient line goes to the provider as an empty entry, which it refuses.
expect_failure "send failed with MAPI code" \
  "$tool" mapi-send --profile Office --password s3cret --to "Nobody Known" --body-text x
expect_failure "send failed with MAPI code 14 (unknown recipient)" "$tool" quick-send --fax 12345 --body-text x
expect_failure "registry value HKEY_LOCAL_MACHINE" \
  env XDG_CONFIG_DIRS="$work/none" "$tool" mapi-send --to x@example.org --body-text x
[ -z "$(ls "$work/Maildir/new")" ] || fail "a failed send reached the server"
rc=0
"$tool" mapi-send --to x@example.org --fax 1 --body-text x 2>/dev/null || rc=$?
[ "$rc" -eq 2 ] || fail "a usage error exited with $rc, not 2"
echo "mapi_roundtrip: passed"
