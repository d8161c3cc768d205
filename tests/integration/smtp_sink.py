#!/usr/bin/python3
"""A real SMTP server for the integration tests: stores every message byte for byte.

usage: smtp_sink.py MAILDIR PORT [tls=starttls|implicit cert=FILE key=FILE] [user=NAME password=PW]

Each accepted message lands unchanged (CR LF line ends kept) in MAILDIR/new; its envelope
(sender and recipients) goes beside it in MAILDIR/envelopes as JSON. With tls=starttls the server
requires STARTTLS before anything else; with tls=implicit it speaks TLS from the start. With a user
it requires AUTH (PLAIN or LOGIN) with that name and password.
"""
import json
import os
import signal
import ssl
import sys
import threading
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class MaildirSink:
    def __init__(self, folder):
        self.folder = folder
        for sub in ("tmp", "new", "cur", "envelopes"):
            os.makedirs(os.path.join(folder, sub), exist_ok=True)

    async def handle_DATA(self, server, session, envelope):
        name = "%d.%d_%d.qel" % (time.time(), os.getpid(), time.perf_counter_ns())
        tmp = os.path.join(self.folder, "tmp", name)
        with open(tmp, "wb") as f:
            f.write(envelope.original_content)
        os.rename(tmp, os.path.join(self.folder, "new", name))
        with open(os.path.join(self.folder, "envelopes", name + ".json"), "w") as f:
            json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos}, f)
        return "250 Message accepted for delivery"


def security(options):
    """The Controller's arguments for the tls, cert, key, user and password options."""
    kwargs = {}
    user, password = options.get("user"), options.get("password", "")
    if user:
        def authenticator(server, session, envelope, mechanism, data):
            ok = isinstance(data, LoginPassword) and data.login.decode() == user and data.password.decode() == password
            return AuthResult(success=ok, handled=False)  # else a refusal would go unanswered
        kwargs.update(authenticator=authenticator, auth_required=True, auth_require_tls=False)
    mode = options.get("tls")
    if mode:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(options["cert"], options["key"])
        if mode == "starttls":
            kwargs.update(tls_context=context, require_starttls=True, auth_require_tls=True)
        else:
            # aiosmtpd counts only STARTTLS as TLS: under implicit TLS AUTH must not ask for it.
            kwargs.update(ssl_context=context, auth_require_tls=False)
    return kwargs


def main():
    folder, port = sys.argv[1], int(sys.argv[2])
    options = dict(arg.split("=", 1) for arg in sys.argv[3:])
    controller = Controller(MaildirSink(folder), hostname="127.0.0.1", port=port,
                            server_hostname="localhost", data_size_limit=256 * 1024 * 1024,
                            **security(options))
    controller.start()
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    stop.wait()
    controller.stop()


if __name__ == "__main__":
    main()
