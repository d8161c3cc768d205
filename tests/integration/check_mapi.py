#!/usr/bin/python3
"""Checks the one message the SMTP sink stored from the Simple MAPI provider, with Python's own MIME parser.

usage: check_mapi.py MAILDIR EXPECT.json
EXPECT.json: {"mail_from": ..., "rcpt_tos": [...], "from": ..., "to": [[name, addr], ...],
              "cc": [[name, addr], ...], "subject": ..., "body": ..., "receipt": bool,
              "attachments": [{"path": ..., "name": ...}]}
Envelope recipients are compared as a set: their order is the transport's business.
Exits non-zero with a reason on the first mismatch.
"""
import email
import email.policy
import email.utils
import glob
import json
import os
import sys


def expect(cond, msg):
    if not cond:
        print("check_mapi: " + msg, file=sys.stderr)
        sys.exit(1)


def addresses(msg, header):
    return [list(pair) for pair in email.utils.getaddresses(msg.get_all(header) or [])]


def main():
    maildir, expect_file = sys.argv[1], sys.argv[2]
    want = json.load(open(expect_file, encoding="utf-8"))
    files = sorted(glob.glob(os.path.join(maildir, "new", "*")))
    expect(len(files) == 1, "expected one stored message, found %d" % len(files))
    raw = open(files[0], "rb").read()
    envelope = json.load(open(os.path.join(maildir, "envelopes", os.path.basename(files[0]) + ".json")))
    expect(envelope["mail_from"] == want["mail_from"], "envelope sender %r" % envelope["mail_from"])
    expect(sorted(envelope["rcpt_tos"]) == sorted(want["rcpt_tos"]), "envelope recipients %r" % envelope["rcpt_tos"])

    msg = email.message_from_bytes(raw, policy=email.policy.default)
    expect(msg.defects == [], "top-level defects %r" % msg.defects)
    expect(email.utils.parseaddr(str(msg["From"]))[1] == want["from"], "From %r" % msg["From"])
    expect(addresses(msg, "To") == want["to"], "To %r" % addresses(msg, "To"))
    expect(addresses(msg, "Cc") == want["cc"], "Cc %r" % addresses(msg, "Cc"))
    expect(msg["Bcc"] is None, "a Bcc header reached the server: %r" % msg["Bcc"])
    expect(msg["Subject"] == want["subject"], "Subject %r" % msg["Subject"])
    expect(msg["MIME-Version"] == "1.0", "MIME-Version %r" % msg["MIME-Version"])
    expect(email.utils.parsedate_tz(msg["Date"]) is not None, "Date %r" % msg["Date"])
    receipt = msg["Disposition-Notification-To"]
    expect((receipt is not None) == want["receipt"], "Disposition-Notification-To %r" % receipt)

    body = msg.get_body(("plain",))
    expect(body is not None, "no text part")
    # The sink keeps the wire's CR LF line ends; an 8-bit text part keeps them in its content.
    text = body.get_content().replace("\r\n", "\n")
    expect(text == want["body"], "body %r\nwant %r" % (text[:400], want["body"][:400]))
    attachments = list(msg.iter_attachments())
    expect(len(attachments) == len(want["attachments"]), "%d attachment(s)" % len(attachments))
    for part, a in zip(attachments, want["attachments"]):
        expect(part.get_filename() == a["name"], "filename %r, want %r" % (part.get_filename(), a["name"]))
        expect(part.defects == [], "%s: defects %r" % (a["name"], part.defects))
        data = part.get_payload(decode=True) or b""
        expect(data == open(a["path"], "rb").read(), "%s: content differs (%d bytes)" % (a["name"], len(data)))
    print("check_mapi: envelope, headers, body and %d attachment(s) match" % len(attachments))


if __name__ == "__main__":
    main()
