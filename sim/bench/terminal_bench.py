#!/usr/bin/env python3
"""Round trips against a running zantor-sim: terminal_bench.py STATE_DIR RECEIPT.bin ROUNDS"""
import json
import os
import select
import socket
import statistics
import sys
import time
import tty

state, receipt_file, rounds = sys.argv[1], sys.argv[2], int(sys.argv[3])
receipt = open(receipt_file, "rb").read()


def control(line, timeout=15.0):
    s = socket.socket(socket.AF_UNIX)
    s.settimeout(timeout)
    s.connect(os.path.join(state, "control.sock"))
    s.sendall(line.encode() + b"\n")
    data = b""
    while not data.endswith(b"\n"):
        chunk = s.recv(65536)
        if not chunk:
            break
        data += chunk
    s.close()
    return json.loads(data)


def open_line(name):
    fd = os.open(os.path.join(state, name), os.O_RDWR | os.O_NOCTTY)
    tty.setraw(fd)
    return fd


def read_exactly(fd, n, timeout=5.0):
    data, deadline = b"", time.monotonic() + timeout
    while len(data) < n:
        if not select.select([fd], [], [], max(0, deadline - time.monotonic()))[0]:
            raise SystemExit("no answer in time")
        data += os.read(fd, n - len(data))
    return data


def report(name, samples):
    ms = sorted(s * 1000 for s in samples)
    p95 = ms[min(len(ms) - 1, int(len(ms) * 0.95))]
    print("%-50s median %7.3f ms   p95 %7.3f ms   (%d)" % (name, statistics.median(ms), p95, len(ms)))


def frame(c, payload=b""):
    b = c ^ len(payload)
    for x in payload:
        b ^= x
    return bytes([2, c, len(payload)]) + payload + bytes([b, 3])


board = open_line("board")
samples = []
for _ in range(rounds):
    t = time.perf_counter()
    os.write(board, frame(ord("W")))
    read_exactly(board, 20)
    samples.append(time.perf_counter() - t)
report("board W request -> weight frame (pty)", samples)

scale = open_line("scale")
os.write(scale, b"M,0\r\n")
time.sleep(0.3)
while select.select([scale], [], [], 0.05)[0]:
    os.read(scale, 65536)
samples = []
for _ in range(rounds):
    t = time.perf_counter()
    os.write(scale, b"R\r\n")
    line = b""
    while not line.endswith(b"\r\n"):
        line += read_exactly(scale, 1)
    samples.append(time.perf_counter() - t)
report("SDK scale R -> reading line (pty)", samples)
os.write(scale, b"M,1\r\n")

port = control("state")["printer"]["tcp_port"]
tcp = socket.create_connection(("127.0.0.1", port))
tcp.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
samples = []
for _ in range(rounds):
    t = time.perf_counter()
    tcp.sendall(b"\x10\x04\x01")
    tcp.recv(1)
    samples.append(time.perf_counter() - t)
report("DLE EOT 1 -> status byte (TCP)", samples)
tcp.close()
time.sleep(0.2)

jobs = max(5, rounds // 15)
samples = []
for _ in range(jobs):
    last = control("state")["printer"]["last_receipt"]
    c = socket.create_connection(("127.0.0.1", port))
    t = time.perf_counter()
    c.sendall(receipt)
    c.close()
    answer = control("wait-receipt 10000 %d" % last)
    samples.append(time.perf_counter() - t)
    assert answer["ok"], answer
report("receipt over TCP: bytes sent, closed -> announced", samples)

printer = open_line("printer")
samples = []
for _ in range(jobs):
    last = control("state")["printer"]["last_receipt"]
    t = time.perf_counter()
    os.write(printer, receipt)  # ends in a cut
    answer = control("wait-receipt 10000 %d" % last)
    samples.append(time.perf_counter() - t)
    assert answer["ok"], answer
report("receipt over pty: bytes written -> announced", samples)
print("(%d-byte GBK sample receipt; a 115200-baud line needs %.1f ms for it)" % (len(receipt), len(receipt) * 10 / 115.2))
