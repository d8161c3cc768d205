"""What the scripted peers of the tool's tests share: one connection accepted on 127.0.0.1, the
port written to a file first (renamed into place, so a reader never sees half a number)."""
import os
import socket


def accept_one(port_file, timeout):
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(1)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.getsockname()[1]))
    os.rename(port_file + ".tmp", port_file)
    server.settimeout(timeout)
    conn, _ = server.accept()
    return conn, conn.makefile("rb")
