#!/usr/bin/python3
"""A real SMTP server for the integration tests: stores every message byte for byte.

usage: smtp_sink.py MAILDIR PORT

Each accepted message lands unchanged (CR LF line ends kept) in MAILDIR/new; its envelope
(sender and recipients) goes beside it in MAILDIR/envelopes as JSON.
"""
import json
import os
import signal
import sys
import threading
import time

from aiosmtpd.controller import Controller


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


def main():
    folder, port = sys.argv[1], int(sys.argv[2])
    controller = Controller(MaildirSink(folder), hostname="127.0.0.1", port=port,
                            server_hostname="localhost", data_size_limit=256 * 1024 * 1024)
    controller.start()
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    stop.wait()
    controller.stop()


if __name__ == "__main__":
    main()
