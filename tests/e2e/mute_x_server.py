#!/usr/bin/env python3
"""A display server that takes every connection and never answers.

    mute_x_server.py FIRST LAST

Listens on /tmp/.X11-unix/X<n> for the first free n from FIRST to LAST, prints
n once it listens, and holds every connection open without a word until it is
killed. Xlib then waits for the server's greeting for ever.
"""
import os
import signal
import socket
import sys

SOCKETS = "/tmp/.X11-unix"


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    os.makedirs(SOCKETS, mode=0o1777, exist_ok=True)
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    for n in range(int(sys.argv[1]), int(sys.argv[2]) + 1):
        if os.path.exists("/tmp/.X%d-lock" % n):
            continue
        try:
            server.bind("%s/X%d" % (SOCKETS, n))
            break
        except OSError:
            continue
    else:
        sys.exit("mute_x_server.py: no free display number")
    path = server.getsockname()
    # Killed the ordinary way, it still takes its socket away.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    server.listen(16)
    print(n, flush=True)
    held = []
    try:
        while True:
            held.append(server.accept()[0])
    finally:
        os.unlink(path)


if __name__ == "__main__":
    main()
