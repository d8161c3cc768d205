#!/usr/bin/python3
"""A one-connection mail server peer for the tool's tests: listens on 127.0.0.1, writes its port
to PORTFILE, sends the first reply on connect and one reply per client line after that.
A reply "SILENT" stops answering (the peer stays connected), "CLOSE" closes the connection,
"DATA:<reply>" reads the message text up to the line "." before answering <reply>.
usage: scripted_peer.py PORTFILE REPLY...  (a reply's "\\n" becomes CR LF)"""
import sys
import time

from loopback_peer import accept_one

port_file, replies = sys.argv[1], sys.argv[2:]
conn, reader = accept_one(port_file, 30)


def answer(reply):
    if reply == "SILENT":
        time.sleep(60)
        return False
    if reply == "CLOSE":
        conn.close()
        return False
    if reply.startswith("DATA:"):
        while reader.readline().rstrip(b"\r\n") != b".":
            pass
        reply = reply[5:]
    conn.sendall(reply.replace("\\n", "\r\n").encode() + b"\r\n")
    return True


if replies and answer(replies[0]):
    for reply in replies[1:]:
        if not reader.readline() or not answer(reply):
            break
    time.sleep(0.5)
conn.close()
