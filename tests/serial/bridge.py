#!/usr/bin/env python3
"""Serial ports for the tests: COM1..COM12 (and LPT1, as line 13) of the test prefix each lead
to a real pseudo-terminal, and the far end of each pseudo-terminal is offered on a loopback TCP port, so a
test program running under Wine can play the device on the other side of the line.

    bridge.py DIR      creates DIR/comN and DIR/lpt1 (links to the ptys' devices) and
                       DIR/tcp-base (TCP port of COM1 minus 1; LPT1 is base + 13), then serves
                       until killed.

The bridge keeps each pty's device side open itself, so the program under test may open and
close the port as often as it likes without the line going dead. A test connects before it
opens the port; when it disconnects, whatever is still queued in either direction is thrown
away so the next test starts on a quiet line.

A new connection is first quieted the same way and then sent READY, and only then joined to
the line: everything after READY is the line's, so a test that waits for it neither loses what
the program writes next nor receives what an earlier program left behind.
"""
import errno
import os
import select
import socket
import sys
import termios
import tty

PORTS = 13
READY = b"zpt-serial-bridge ready\n"


def link_name(number):
    return "lpt1" if number == 13 else "com%d" % number


def free_base():
    for base in range(41000, 61000, 20):
        sockets = []
        try:
            for n in range(1, PORTS + 1):
                s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
                s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
                s.bind(("127.0.0.1", base + n))
                s.listen(1)
                sockets.append(s)
            return base, sockets
        except OSError:
            for s in sockets:
                s.close()
    raise SystemExit("bridge.py: no free loopback ports")


class Port:
    def __init__(self, number, folder, listener):
        self.number = number
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        os.set_blocking(self.master, False)
        self.link = os.path.join(folder, link_name(number))
        if os.path.lexists(self.link):
            os.unlink(self.link)
        os.symlink(os.ttyname(self.slave), self.link)
        self.listener = listener
        self.client = None

    def quiet(self):
        termios.tcflush(self.slave, termios.TCIOFLUSH)
        while True:
            try:
                if not os.read(self.master, 65536):
                    break
            except OSError:
                break

    def drop_client(self):
        if self.client:
            self.client.close()
            self.client = None
        self.quiet()


def main():
    folder = os.path.abspath(sys.argv[1])
    os.makedirs(folder, exist_ok=True)
    base, listeners = free_base()
    ports = [Port(n, folder, listeners[n - 1]) for n in range(1, PORTS + 1)]
    with open(os.path.join(folder, "tcp-base.tmp"), "w") as f:
        f.write("%d\n" % base)
    os.replace(os.path.join(folder, "tcp-base.tmp"), os.path.join(folder, "tcp-base"))

    while True:
        readers = []
        for p in ports:
            readers.append(p.listener)
            if p.client:
                readers += [p.client, p.master]
        ready, _, _ = select.select(readers, [], [])
        for p in ports:
            if p.listener in ready:
                client, _ = p.listener.accept()
                p.drop_client()
                client.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                try:
                    client.sendall(READY)
                except OSError:
                    client.close()
                    continue
                p.client = client
            if p.client and p.client in ready:
                try:
                    data = p.client.recv(65536)
                except OSError:
                    data = b""
                if not data:
                    p.drop_client()
                    continue
                view = memoryview(data)
                while view:
                    try:
                        view = view[os.write(p.master, view):]
                    except OSError as e:
                        if e.errno != errno.EAGAIN:
                            break
                        # Nobody reads the port: after a second the rest is lost, as on a real
                        # line, instead of stalling every port and reaching the next peer stale.
                        if not select.select([], [p.master], [], 1.0)[1]:
                            break
            if p.client and p.master in ready:
                try:
                    data = os.read(p.master, 65536)
                except OSError:
                    data = b""
                if data:
                    try:
                        p.client.sendall(data)
                    except OSError:
                        p.drop_client()


if __name__ == "__main__":
    main()
