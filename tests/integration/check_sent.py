#!/usr/bin/python3
"""Checks a message stored by the SMTP sink with an independent MIME parser.

usage: check_sent.py MAILDIR EXPECT.json
EXPECT.json: {"from": ..., "from_name": ..., "reply_to": ..., "to": [...], "subject": ...,
              "body": ..., "signature": ..., "attachments": [{"path": ..., "name": ..., "type": ...}]}
Exits non-zero with a reason on the first mismatch.
"""
import email
import email.header
import email.policy
import email.utils
import glob
import json
import os
import re
import sys


def fail(msg):
    print("check_sent: " + msg, file=sys.stderr)
    sys.exit(1)


def expect(cond, msg):
    if not cond:
        fail(msg)


def unfolded(value):
    """A header value with the line breaks of its folding taken out."""
    return None if value is None else re.sub(r"\r?\n(?=[ \t])", "", value)


def decoded(value):
    """A header value (or a parameter of one) as a reader shows it: unfolded, encoded words decoded."""
    if value is None:
        return None
    return str(email.header.make_header(email.header.decode_header(unfolded(value))))


def main():
    maildir, expect_file = sys.argv[1], sys.argv[2]
    want = json.load(open(expect_file, encoding="utf-8"))
    files = sorted(glob.glob(os.path.join(maildir, "new", "*")))
    expect(len(files) == 1, "expected one stored message, found %d" % len(files))
    raw = open(files[0], "rb").read()
    envelope = json.load(open(os.path.join(maildir, "envelopes", os.path.basename(files[0]) + ".json")))
    expect(envelope["mail_from"] == want["from"], "envelope sender %r" % envelope["mail_from"])
    expect(envelope["rcpt_tos"] == want["to"], "envelope recipients %r" % envelope["rcpt_tos"])

    msg = email.message_from_bytes(raw, policy=email.policy.compat32)
    expect(msg.defects == [], "top-level defects %r" % msg.defects)
    name, addr = email.utils.parseaddr(unfolded(msg["From"]))
    expect((decoded(name), addr) == (want["from_name"], want["from"]), "From %r" % msg["From"])
    expect(msg["Reply-To"] == want["reply_to"], "Reply-To %r" % msg["Reply-To"])
    expect([a for _, a in email.utils.getaddresses([unfolded(msg["To"])])] == want["to"], "To %r" % msg["To"])
    expect(decoded(msg["Subject"]) == want["subject"], "Subject %r" % msg["Subject"])
    expect(msg["MIME-Version"] == "1.0", "MIME-Version %r" % msg["MIME-Version"])
    expect(email.utils.parsedate_tz(msg["Date"]) is not None, "Date %r" % msg["Date"])
    expect(re.fullmatch(r"<qelmsgid0\.\d{4}\.\d{8}[a-y]{8}@[^>]+>", msg["Message-Id"] or ""), "Message-Id %r" % msg["Message-Id"])
    expect((msg["X-Mailer"] or "").endswith(" - [TQELSMTPMail]"), "X-Mailer %r" % msg["X-Mailer"])

    attachments = want["attachments"]
    if not attachments:
        expect(not msg.is_multipart(), "plain message expected")
        text_part = msg
    else:
        expect(msg.get_content_type() == "multipart/mixed", "type %r" % msg.get_content_type())
        parts = msg.get_payload()
        expect(len(parts) == 1 + len(attachments), "%d parts" % len(parts))
        text_part = parts[0]
        for part, a in zip(parts[1:], attachments):
            expect(part.get_content_type() == a["type"], "%s: type %r" % (a["name"], part.get_content_type()))
            expect(part.get_filename() == a["name"], "filename %r, want %r" % (part.get_filename(), a["name"]))
            name = decoded(part.get_param("name"))
            expect(name == a["name"], "name %r, want %r" % (name, a["name"]))
            expect(part.defects == [], "%s: defects %r" % (a["name"], part.defects))
            data = part.get_payload(decode=True) or b""
            expect(data == open(a["path"], "rb").read(), "%s: content differs (%d bytes)" % (a["name"], len(data)))

    # The text part spells its parameter "charset: X"; read either spelling.
    found = re.search(r"charset[:=]\s*\"?([A-Za-z0-9_-]+)", text_part["Content-type"] or "")
    charset = found.group(1) if found else "iso-8859-1"
    body = text_part.get_payload(decode=True).decode(charset)
    lines = lambda text: "".join(line + "\r\n" for line in text.splitlines())
    wanted = (lines(want["body"]) + "\r\n\r\n" + lines(want["signature"])).rstrip("\r\n")
    expect(body.startswith(wanted), "body %r\nwant %r" % (body[:400], wanted[:400]))
    print("check_sent: %d header fields, body and %d attachment(s) match" % (len(msg.keys()), len(attachments)))


if __name__ == "__main__":
    main()
