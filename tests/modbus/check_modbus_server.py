#!/usr/bin/python3
"""Self-test of modbus_server.py, run by hand: /usr/bin/python3 tests/modbus/check_modbus_server.py

Speaks raw Modbus TCP, so the check does not lean on the library the server is built on.
"""
import os
import select
import struct
import subprocess
import sys
import time

import socket

SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "modbus_server.py")


def send(sock, tid, function, body, unit=1):
    sock.sendall(struct.pack(">HHHBB", tid, 0, len(body) + 2, unit, function) + body)


def receive(sock, tid):
    def exactly(n):
        data = b""
        while len(data) < n:
            data += sock.recv(n - len(data)) or sys.exit("server closed the connection")
        return data
    rtid, _, length, _ = struct.unpack(">HHHB", exactly(7))
    assert rtid == tid, (rtid, tid)
    return exactly(length - 1)


def ask(sock, tid, function, addr, count, unit=1):
    send(sock, tid, function, struct.pack(">HH", addr, count), unit)
    return receive(sock, tid)


server = subprocess.Popen([sys.executable, SERVER], stdin=subprocess.PIPE,
                          stdout=subprocess.PIPE, text=True)


def control(line):
    server.stdin.write(line + "\n")
    server.stdin.flush()
    return server.stdout.readline().strip()


port = int(server.stdout.readline().split()[1])
sock = socket.create_connection(("127.0.0.1", port), timeout=5)
assert ask(sock, 1, 3, 100, 2) == bytes([3, 4]) + struct.pack(">HH", 1234, 0xFFFF)
assert ask(sock, 2, 3, 110, 2, unit=7) == bytes([3, 4]) + struct.pack(">HH", 0, 0x3FC0)
assert ask(sock, 3, 1, 0, 8) == bytes([1, 1, 0b00100101])
assert ask(sock, 4, 2, 0, 16) == bytes([2, 2, 0b10, 0b10000000])
assert ask(sock, 5, 3, 40000, 1) == bytes([0x83, 2])
assert ask(sock, 6, 3, 29999, 2) == bytes([0x83, 2])
assert ask(sock, 7, 1, 8192, 2) == bytes([1, 1, 0b10])
send(sock, 8, 16, struct.pack(">HHB2H", 300, 2, 4, 7, 0xFFFF))
assert receive(sock, 8) == bytes([16]) + struct.pack(">HH", 300, 2)
assert control("get hr 300 2") == "hr 300 7 65535"
assert control("set co 9998 1 1") == "ok"
assert ask(sock, 9, 1, 9998, 2) == bytes([1, 1, 0b11])
assert control("set hr 0 65536") == "error values must lie in 0..65535"
assert control("count") == "count 9"
assert control("reset") == "ok" and control("count") == "count 0"

# A held-back response must not hold back the control channel.
assert control("delay 1") == "ok"
start = time.monotonic()
send(sock, 10, 3, struct.pack(">HH", 200, 4))
while control("count") != "count 1":  # the request may still be on its way
    pass
assert not select.select([sock], [], [], 0.1)[0], "response came before its delay"
assert receive(sock, 10) == bytes([3, 8]) + struct.pack(">4H", 1, 2, 3, 4)
assert time.monotonic() - start >= 1

assert control("quit") == "ok"
assert server.wait(timeout=1) == 0
print("modbus_server.py: all checks passed")
