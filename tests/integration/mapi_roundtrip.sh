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

[Direct]
From = direct@example.org
SendmailPath = /usr/bin/msmtp -C "$work/msmtprc" --read-envelope-from

[Broken]
SendmailPath = $work/no-such-sendmail
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

# A SendmailPath with arguments: the program gets them before -t -oi.
clear_sink
"$tool" mapi-send --profile Direct --to bob@example.net --subject direct --body-text "through msmtp itself" >/dev/null
grep -q "direct@example.org" "$work"/Maildir/envelopes/* || fail "a SendmailPath with arguments did not deliver"

# A password-protected default profile serves session-less quick sends with the password in the
# environment, as for mapi-send.
mkdir -p "$work/office/qel"
sed 's/^DefaultProfile = Quick$/DefaultProfile = Office/' "$XDG_CONFIG_HOME/qel/mapi-profiles.ini" \
  >"$work/office/qel/mapi-profiles.ini"
clear_sink
XDG_CONFIG_HOME="$work/office" QELMAIL_MAPI_PASSWORD=s3cret "$tool" quick-send --to bob@example.net \
  --subject quick --body-text x >/dev/null || fail "quick-send with the default profile's password failed"
[ -n "$(ls "$work/Maildir/new")" ] || fail "quick-send through a protected default profile sent nothing"

# Failures: each names its cause, exits with its class and sends nothing.
clear_sink
expect_failure() {  # EXIT CODE, WORDS, then the command line
  local code=$1 words=$2 rc=0
  shift 2
  "$@" >"$work/out.txt" 2>"$work/err.txt" </dev/null || rc=$?
  [ "$rc" -eq "$code" ] || { cat "$work/err.txt" >&2; fail "exit status $rc, not $code, from: $*"; }
  grep -qF -- "$words" "$work/err.txt" || { cat "$work/err.txt" >&2; fail "no '$words' from: $*"; }
}
expect_failure 77 "no password given for profile 'Office'" \
  env XDG_CONFIG_HOME="$work/office" "$tool" quick-send --to bob@example.net --body-text x
expect_failure 69 "no-such-sendmail cannot be run" \
  "$tool" mapi-send --profile Broken --to bob@example.net --body-text x
expect_failure 77 "no profile file $work/empty/qel/mapi-profiles.ini" \
  env XDG_CONFIG_HOME="$work/empty" "$tool" mapi-send --to bob@example.net --body-text x
# Without a default profile to fall back on, a wrong password ends the run at the logon.
mkdir -p "$work/strict/qel"
sed -n '/^\[Office\]/,$p' "$XDG_CONFIG_HOME/qel/mapi-profiles.ini" | sed '/^\[Quick\]/,$d' \
  >"$work/strict/qel/mapi-profiles.ini"
expect_failure 77 "wrong password for profile 'Office'" \
  env XDG_CONFIG_HOME="$work/strict" "$tool" mapi-send --profile Office --password wrong --to x@example.org --body-text x
# Without a default profile, an unknown profile name is said so.
expect_failure 77 "no profile named 'Nowhere'" \
  env XDG_CONFIG_HOME="$work/strict" "$tool" mapi-send --profile Nowhere --to bob@example.net --body-text x
# An unresolved recipient line goes to the provider as an empty entry, which it refuses.
expect_failure 65 "send failed with MAPI code" \
  "$tool" mapi-send --profile Office --password s3cret --to "Nobody Known" --body-text x
expect_failure 65 "send failed with MAPI code 14 (unknown recipient): profile 'Quick' has no FaxGateway" \
  "$tool" quick-send --fax 12345 --body-text x
expect_failure 69 "registry value HKEY_LOCAL_MACHINE" \
  env XDG_CONFIG_DIRS="$work/none" "$tool" mapi-send --to x@example.org --body-text x
[ -z "$(ls "$work/Maildir/new")" ] || fail "a failed send reached the server"
rc=0
"$tool" mapi-send --to x@example.org --fax 1 --body-text x 2>/dev/null || rc=$?
[ "$rc" -eq 64 ] || fail "a usage error exited with $rc, not 64"
echo "mapi_roundtrip: passed"
