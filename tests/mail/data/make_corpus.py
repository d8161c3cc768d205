#!/usr/bin/python3
"""Writes the retrieved-message corpus for PopParserTest: messages as a POP3 server delivers
them (CR LF line ends, dot-stuffed, status line and final "." already taken off by the reader)
and corpus.json with what each message must turn into.

The messages are built with Python's email package, UU blocks with binascii and the uuencode
tool, so the expected values come from the generator's own inputs, not from our parser.
Run it again only to change the corpus; the generated files are committed.
"""
import base64
import binascii
import io
import json
import os
import random
import subprocess
import tempfile
from email import policy
from email.generator import BytesGenerator
from email.mime.application import MIMEApplication
from email.mime.base import MIMEBase
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText

HERE = os.path.dirname(os.path.abspath(__file__))
RNG = random.Random(20240501)
UNSAFE = '\\/:*?"<>|'


def random_bytes(count):
    return bytes(RNG.getrandbits(8) for _ in range(count))


def flatten(message):
    out = io.BytesIO()
    gen = BytesGenerator(out, mangle_from_=False, maxheaderlen=0, policy=policy.compat32.clone(linesep="\r\n"))
    gen.flatten(message)
    return out.getvalue()


def delivered(raw):
    """The lines as the POP3 reader hands them over: dot-stuffed, joined with CR LF."""
    lines = raw.split(b"\r\n")
    if lines and lines[-1] == b"":
        lines.pop()
    return b"\r\n".join(b"." + l if l.startswith(b".") else l for l in lines) + b"\r\n"


def cleaned(name):
    name = "".join(c for c in name if c not in UNSAFE)
    return name or "_Cosa_"


def uu_block_binascii(name, data, mode="644"):
    lines = ["begin %s %s" % (mode, name)]
    for i in range(0, len(data), 45):
        lines.append(binascii.b2a_uu(data[i:i + 45], backtick=True).decode().rstrip("\n"))
    lines += ["`", "end"]
    return lines


def uu_block_tool(name, data):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "input")
        with open(path, "wb") as f:
            f.write(data)
        os.chmod(path, 0o644)
        out = subprocess.run(["uuencode", path, name], check=True, capture_output=True).stdout
    return out.decode().splitlines()


def headers(message, pairs):
    for key, value in pairs:
        message[key] = value
    return message


def attachment(data, filename_header, subtype="octet-stream"):
    part = MIMEApplication(data, subtype)
    part["Content-Disposition"] = filename_header
    return part


FIELDS = ("FromMail", "FromName", "ReplyTo", "SendTo", "Subject", "MessageId", "InReplyTo", "Date")


def bare(address):
    """Sender fields of a From header that is a bare address, without Reply-To."""
    return {"FromMail": address, "FromName": address, "ReplyTo": address}


def expect(fields, body, attachments=(), invalid=False):
    fields = dict({"InReplyTo": "", "Date": ""}, **fields)
    assert set(fields) == set(FIELDS), set(FIELDS) ^ set(fields)
    return {
        "fields": fields,
        "body": body,
        "attachments": [{"name": n, "data": base64.b64encode(d).decode()} for n, d in attachments],
        "invalid_format": invalid,
    }


def plain_text():
    text = "Hello Bob,\n\n.hidden line starts with a dot\n..\n.\nFrom the desk of Alice\n  indented\nRegards\n"
    m = MIMEText(text, "plain")
    headers(m, [
        ("Return-Path", "<alice@example.com>"),
        ("Received", "from mx.example.com (mx.example.com [192.0.2.1])\r\n\tby pop.example.org; Mon, 1 Jan 2024 10:00:03 +0000"),
        ("From", '"Alice Example" <alice@example.com>'),
        ("To", "Bob Receiver <bob@example.org>, Carl <carl@example.org>"),
        ("Subject", "Quarterly report"),
        ("Date", "Mon, 01 Jan 2024 10:00:00 +0000"),
        ("Message-ID", "<plain-1@example.com>"),
        ("In-Reply-To", "<earlier-7@example.org>"),
    ])
    fields = {"FromMail": "alice@example.com", "FromName": "Alice Example ", "ReplyTo": "alice@example.com",
              "SendTo": "bob@example.org", "Subject": "Quarterly report", "Date": "Mon, 01 Jan 2024 10:00:00 +0000",
              "MessageId": "<plain-1@example.com>", "InReplyTo": "<earlier-7@example.org>"}
    return m, expect(fields, text.splitlines())


def uu_text():
    first, second = random_bytes(45 * 7 + 20), random_bytes(45 * 3 + 14)  # second ends in a "." line
    evil = "../../etc/evil:name*.bin"
    lines = (["Two files follow."] + uu_block_tool("photo one.png", first)[:-1] + ["end", "Between the files."]
             + uu_block_binascii(evil, second)[:-1] + ["end", "Bye."])
    m = MIMEText("\n".join(lines) + "\n", "plain")
    headers(m, [("From", "frank@example.com"), ("To", "gina@example.org"), ("Subject", "old style files"),
                ("Date", "Tue, 02 Jan 2024 08:30:00 +0100"), ("Message-ID", "<uu-2@example.com>")])
    fields = dict(bare("frank@example.com"), SendTo="gina@example.org", Subject="old style files",
                  MessageId="<uu-2@example.com>", Date="Tue, 02 Jan 2024 08:30:00 +0100")
    body = ["Two files follow.", "end", "Between the files.", "end", "Bye."]
    return m, expect(fields, body, [("photo one.png", first), (cleaned(evil), second)])


def mixed():
    m = MIMEMultipart("mixed", boundary="=_mixed_boundary_42")
    headers(m, [("From", "Henry <henry@example.com>"), ("To", "ivy@example.org"), ("Subject", "Files for you"),
                ("Message-ID", "<mixed-3@example.com>"), ("Date", "Wed, 03 Jan 2024 12:00:00 +0000")])
    m.attach(MIMEText("Here are the files.\n.starts with dot\n", "plain"))
    pdf, dat, tiny, ini = random_bytes(20000), random_bytes(3001), b"tiny", random_bytes(77)
    m.attach(attachment(pdf, 'attachment; filename="report.pdf"', "pdf"))
    m.attach(attachment(dat, "attachment; filename=plain-name.dat"))
    m.attach(attachment(tiny, 'attachment; filename="a:b?.txt"'))
    m.attach(attachment(ini, 'attachment; filename="..\\..\\windows\\system.ini"'))
    notes = MIMEText("line one\nline two\n", "plain")
    notes["Content-Disposition"] = 'attachment; filename="notes.txt"'
    m.attach(notes)
    fields = {"FromMail": "henry@example.com", "FromName": "Henry ", "ReplyTo": "henry@example.com",
              "SendTo": "ivy@example.org", "Subject": "Files for you", "MessageId": "<mixed-3@example.com>",
              "Date": "Wed, 03 Jan 2024 12:00:00 +0000"}
    files = [("report.pdf", pdf), ("plain-name.dat", dat), ("ab.txt", tiny),
             (cleaned("..\\..\\windows\\system.ini"), ini), ("notes.txt", b"line one\r\nline two\r\n")]
    return m, expect(fields, ["Here are the files.", ".starts with dot", ""], files)


def alternative():
    m = MIMEMultipart("alternative", boundary="alt-boundary-7")
    headers(m, [("From", "jane@example.com"), ("To", "<kim@example.org>"), ("Subject", "Hi there"),
                ("Message-ID", "<alt-4@example.com>")])
    m.attach(MIMEText("Plain version.\n", "plain"))
    m.attach(MIMEText("<html><body>\n<p>Rich version.</p>\n</body></html>\n", "html"))
    fields = dict(bare("jane@example.com"), SendTo="kim@example.org", Subject="Hi there", MessageId="<alt-4@example.com>")
    html = b"<html><body>\r\n<p>Rich version.</p>\r\n</body></html>\r\n"
    return m, expect(fields, ["Plain version.", ""], [("Hi there.html", html)])


def nested():
    inner = MIMEMultipart("alternative", boundary="inner-b")
    inner.attach(MIMEText("Inner text.\n", "plain"))
    inner.attach(MIMEText("<p>Inner html.</p>\n", "html"))
    m = MIMEMultipart("mixed", boundary="outer-b")
    headers(m, [("From", "leo@example.com"), ("To", "mia@example.org"), ("Subject", "Nested"),
                ("Message-ID", "<nested-5@example.com>")])
    m.attach(inner)
    data = random_bytes(5000)
    m.attach(attachment(data, 'attachment; filename="data.bin"'))
    # A nested multipart is not split: its text after its own header block is body text.
    inner_lines = flatten(inner).decode().split("\r\n")
    body = inner_lines[inner_lines.index("") + 1:]
    fields = dict(bare("leo@example.com"), SendTo="mia@example.org", Subject="Nested", MessageId="<nested-5@example.com>")
    return m, expect(fields, body, [("data.bin", data)])


def folded():
    m = MIMEText("Folded headers.\n", "plain")
    headers(m, [
        ("From", '"Carol Long-Name"\r\n <carol@example.net>'),
        ("To", "dave@example.com, erin@example.com,\r\n frank@example.com"),
        ("Reply-To", '"Help Desk"\r\n <help@example.net>'),
        ("Cc", "first@example.com,\r\n\tsecond@example.com"),
        ("Subject", "Folded\r\n\tsubject"),
        ("Message-ID", "<folded-6@example.com>"),
    ])
    fields = {"FromMail": "carol@example.net", "FromName": "Carol Long-Name", "ReplyTo": '"Help Desk"<help@example.net>',
              "SendTo": "dave@example.com,erin@example.com,frank@example.com", "Subject": "Folded",
              "MessageId": "<folded-6@example.com>"}
    return m, expect(fields, ["Folded headers."])


def tab_continued_to():
    m = MIMEText("Tabs.\n", "plain")
    headers(m, [("From", "nina@example.com"), ("To", "olga@example.com,\r\n\tpaul@example.com"),
                ("Message-ID", "<tab-7@example.com>")])
    fields = dict(bare("nina@example.com"), SendTo="olga@example.com,", Subject="", MessageId="<tab-7@example.com>")
    return m, expect(fields, ["Tabs."])


def no_message_id():
    m = MIMEText("No id here.\n", "plain")
    headers(m, [("From", "dave@example.com (Dave Smith)"), ("To", "quinn@example.org"), ("Subject", "anonymous")])
    fields = {"FromMail": "dave@example.com(DaveSmith)", "FromName": "dave@example.com (Dave Smith)",
              "ReplyTo": "dave@example.com(DaveSmith)", "SendTo": "quinn@example.org", "Subject": "anonymous",
              "MessageId": ""}
    return m, expect(fields, ["No id here."])


def missing_boundary():
    m = MIMEBase("multipart", "mixed")
    m.set_payload("Some preamble.\r\n--lost\r\nContent-Type: text/plain\r\n\r\nlost text\r\n--lost--\r\n")
    headers(m, [("From", "rosa@example.com"), ("To", "sam@example.org"), ("Subject", "broken"),
                ("Message-ID", "<broken-8@example.com>")])
    fields = dict(bare("rosa@example.com"), SendTo="sam@example.org", Subject="broken", MessageId="<broken-8@example.com>")
    return m, expect(fields, [], invalid=True)


def uu_part():
    m = MIMEMultipart("mixed", boundary="uu-part-b")
    headers(m, [("From", "tom@example.com"), ("Subject", "legacy"), ("Message-ID", "<uupart-9@example.com>")])
    m.attach(MIMEText("See the attachment.\n", "plain"))
    data = random_bytes(45 * 4 + 2)
    part = MIMEBase("application", "octet-stream")
    part.set_payload("\n".join(uu_block_binascii("legacy.bin", data)) + "\n")
    part["Content-Transfer-Encoding"] = "x-uuencode"
    part["Content-Disposition"] = 'attachment; filename="legacy.bin"'
    m.attach(part)
    fields = dict(bare("tom@example.com"), SendTo="", Subject="legacy", MessageId="<uupart-9@example.com>")
    return m, expect(fields, ["See the attachment.", ""], [("legacy.bin", data)])


CASES = [plain_text, uu_text, mixed, alternative, nested, folded, tab_continued_to, no_message_id,
         missing_boundary, uu_part]


def main():
    manifest = []
    for case in CASES:
        message, expected = case()
        name = case.__name__ + ".eml"
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(delivered(flatten(message)))
        expected["file"] = name
        manifest.append(expected)
    with open(os.path.join(HERE, "corpus.json"), "w") as f:
        json.dump(manifest, f, indent=1)
        f.write("\n")


if __name__ == "__main__":
    main()
