#!/usr/bin/python3
"""A POP3 peer for the fetch command's fault tests: serves MESSAGEFILEs (dot-stuffed as POP3 wants)
to one connection on 127.0.0.1, writes its port to PORTFILE and every line the client sends to
LOGFILE. SCENARIO picks the fault:
  normal      every command answered "+OK"
  quit-err    QUIT answered "-ERR"
  quit-close  the connection closed in reply to QUIT
  reset       RETR answered with the start of the message, then the connection reset
  slow        RETR answered a line at a time, never ending, until the client goes
usage: pop3_peer.py PORTFILE LOGFILE SCENARIO MESSAGEFILE..."""
import socket
import struct
import sys
import time

from loopback_peer import accept_one

port_file, log_file, scenario = sys.argv[1:4]
messages = [open(name, "rb").read() for name in sys.argv[4:]]


def stuffed(text):
    lines = text.split(b"\r\n")
    if lines and lines[-1] == b"":
        lines.pop()
    return b"".join((b"." + line if line.startswith(b".") else line) + b"\r\n" for line in lines)


conn, reader = accept_one(port_file, 60)
log = open(log_file, "w")


def retr(number):
    text = stuffed(messages[number - 1])
    if scenario == "reset":
        conn.sendall(b"+OK\r\n" + text[: len(text) // 2])
        time.sleep(0.3)
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        conn.close()
        return False
    if scenario == "slow":
        conn.sendall(b"+OK\r\n" + text)
        try:
            for _ in range(1200):
                conn.sendall(b"slow line " + b"x" * 60 + b"\r\n")
                time.sleep(0.05)
        except OSError:
            pass
        return False
    conn.sendall(b"+OK %d octets\r\n" % len(messages[number - 1]) + text + b".\r\n")
    return True


conn.sendall(b"+OK ready\r\n")
for raw in reader:
    line = raw.rstrip(b"\r\n").decode("latin-1")
    log.write(line + "\n")
    log.flush()
    command = line.split(" ")[0].upper()
    if command == "STAT":
        conn.sendall(b"+OK %d %d\r\n" % (len(messages), sum(map(len, messages))))
    elif command == "RETR":
        if not retr(int(line.split(" ")[1])):
            break
    elif command == "QUIT":
        if scenario == "quit-err":
            conn.sendall(b"-ERR cannot commit the changes\r\n")
        elif scenario != "quit-close":
            conn.sendall(b"+OK bye\r\n")
        break
    else:
        conn.sendall(b"+OK\r\n")
time.sleep(0.2)
try:
    conn.close()
except OSError:
    pass
