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


def exactly(sock, n):
    data = b""
    while len(data) < n:
        data += sock.recv(n - len(data)) or sys.exit("server closed the connection")
    return data


def receive(sock, tid):
    rtid, _, length, _ = struct.unpack(">HHHB", exactly(sock, 7))
    assert rtid == tid, (rtid, tid)
    return exactly(sock, length - 1)


def read(sock, tid, function, addr, count, unit=1):
    send(sock, tid, function, struct.pack(">HH", addr, count), unit)


def ask(sock, tid, function, addr, count, unit=1):
    read(sock, tid, function, addr, count, unit)
    return receive(sock, tid)


def frame(tid, pdu, unit=1, length=None):
    return struct.pack(">HHHB", tid, 0, len(pdu) + 1 if length is None else length, unit) + pdu


def answers(sock, *frames):
    """Whether the next bytes on the connection are exactly these frames, whatever they
    claim of themselves. A byte too many shows up in the frames after it, so every run
    of faults below ends with a sound answer."""
    expected = b"".join(frames)
    data = exactly(sock, len(expected))
    assert data == expected, (data.hex(" "), expected.hex(" "))
    return True


def write_register(sock, tid, addr, value):
    send(sock, tid, 6, struct.pack(">HH", addr, value))


def launch(*args, **kwargs):
    process = subprocess.Popen([sys.executable, SERVER, *args], stdout=subprocess.PIPE,
                               text=True, **kwargs)
    line = process.stdout.readline()
    assert line.startswith("READY "), line
    return process, int(line.split()[1])


server, port = launch(stdin=subprocess.PIPE)


def control(line):
    server.stdin.write(line + "\n")
    server.stdin.flush()
    return server.stdout.readline().strip()


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
assert control("delay 0") == "ok"

# Faults. hr 200 2 answers 1, 2; the frames are built here byte by byte. The control
# channel overtakes requests on their way, so no fault changes before their answers are in.
HR200 = bytes([3, 4, 0, 1, 0, 2])

# Read modes spare writes, which neither use up the count nor get spoiled.
assert control("fault tid 2") == "ok"
read(sock, 0, 3, 200, 2)
write_register(sock, 20, 300, 9)
read(sock, 21, 3, 200, 2)
read(sock, 22, 3, 200, 2)  # the count is used up
assert answers(sock, frame(0xFFFF, HR200), frame(20, bytes([6, 1, 44, 0, 9])),
               frame(20, HR200), frame(22, HR200))

# Every response that makes it out is sent after the delay, the spoiled one included.
assert control("delay 0.2") == "ok" and control("fault unit 1") == "ok"
start = time.monotonic()
read(sock, 23, 3, 200, 2, unit=255)
assert answers(sock, frame(23, HR200, unit=0))
assert time.monotonic() - start >= 0.2
assert control("delay 0") == "ok"

# The header as for the whole frame, then nothing of it: the next answer follows at once.
assert control("fault cut 1") == "ok"
read(sock, 24, 3, 200, 2)
read(sock, 25, 3, 200, 2)
assert answers(sock, frame(24, HR200)[:7], frame(25, HR200))

assert control("fault len0 1") == "ok"
read(sock, 26, 3, 200, 2)
assert answers(sock, frame(26, HR200, length=0))
assert control("fault lenffff 1") == "ok"
read(sock, 27, 3, 200, 2)
read(sock, 28, 3, 200, 2)
assert answers(sock, frame(27, HR200, length=0xFFFF), frame(28, HR200))

# Modes on the answer's data leave an exception alone, and it does not use up the count.
assert control("fault function 2") == "ok"
read(sock, 30, 3, 200, 10)
read(sock, 31, 3, 40000, 1)
read(sock, 32, 1, 0, 9)
read(sock, 33, 1, 0, 1000)
assert answers(sock, frame(30, bytes([1, 2, 0, 0])), frame(31, bytes([0x83, 2])),
               frame(32, bytes([3, 18]) + bytes(18)),
               frame(33, bytes([1, 125, 0b00100101]) + bytes(124)))
assert control("fault function") == "ok"
read(sock, 34, 1, 0, 1000)
read(sock, 35, 2, 0, 126)
read(sock, 36, 4, 0, 9)
assert answers(sock, frame(34, bytes([3, 250]) + bytes(250)),
               frame(35, bytes([3, 250]) + bytes(250)), frame(36, bytes([1, 2, 0, 0])))
assert control("fault none") == "ok"
read(sock, 37, 3, 200, 2)
assert answers(sock, frame(37, HR200))

assert control("fault extra 2") == "ok"
read(sock, 40, 3, 200, 2)
read(sock, 41, 1, 0, 8)
read(sock, 42, 3, 200, 2)
assert answers(sock, frame(40, bytes([3, 6, 0, 1, 0, 2, 0x12, 0x34])),
               frame(41, bytes([1, 2, 0b00100101, 0xFF])), frame(42, HR200))
assert control("fault missing 2") == "ok"
read(sock, 43, 3, 200, 2)
read(sock, 44, 1, 0, 8)
read(sock, 45, 3, 200, 2)
assert answers(sock, frame(43, bytes([3, 2, 0, 1])), frame(44, bytes([1, 0])),
               frame(45, HR200))

# Write modes spare reads. Nothing goes back for a silent write: the next read's answer
# follows the one before it.
assert control("reset") == "ok" and control("fault silent 1") == "ok"
read(sock, 50, 3, 300, 1)
write_register(sock, 51, 300, 5)
read(sock, 52, 3, 300, 1)
write_register(sock, 53, 300, 6)
assert answers(sock, frame(50, bytes([3, 2, 0, 9])), frame(52, bytes([3, 2, 0, 9])),
               frame(53, bytes([6, 1, 44, 0, 6])))
assert control("count") == "count 4"

assert control("fault refuse") == "ok"
send(sock, 54, 16, struct.pack(">HHB2H", 300, 2, 4, 1, 1))
send(sock, 55, 5, struct.pack(">HH", 0, 0))
read(sock, 56, 1, 0, 1)
assert answers(sock, frame(54, bytes([0x90, 4])), frame(55, bytes([0x85, 4])),
               frame(56, bytes([1, 1, 1])))
assert control("get hr 300 2") == "hr 300 6 65535" and control("get co 0 1") == "co 0 1"
assert control("fault none") == "ok"

assert control("fault echo 2") == "ok"
send(sock, 57, 6, struct.pack(">HH", 30000, 1))  # beyond the table: the exception stays
send(sock, 58, 16, struct.pack(">HHB2H", 300, 2, 4, 7, 8))
send(sock, 59, 5, struct.pack(">HH", 9999, 0xFF00))
write_register(sock, 60, 300, 9)
assert answers(sock, frame(57, bytes([0x86, 2])), frame(58, bytes([16, 1, 45, 0, 2])),
               frame(59, bytes([5, 0x27, 0x10, 0xFF, 0])),
               frame(60, bytes([6, 1, 44, 0, 9])))
assert control("get hr 300 2") == "hr 300 9 8" and control("get co 9999 1") == "co 9999 1"

# A malformed fault command leaves the fault as it was.
assert control("fault tid 1") == "ok"
for bad in ("fault", "fault bogus", "fault tid 0", "fault cut x", "fault cut 1 2",
            "fault none 1"):
    assert control(bad).startswith("error "), bad
read(sock, 61, 3, 200, 2)
read(sock, 62, 3, 200, 2)
assert answers(sock, frame(60, HR200), frame(62, HR200))

# drop resets every connection; the server takes new ones.
other = socket.create_connection(("127.0.0.1", port), timeout=5)
assert ask(other, 1, 3, 200, 2) == HR200
assert control("drop") == "ok"
for dropped in (sock, other):
    try:
        sys.exit(f"got {dropped.recv(1)!r} instead of a reset")
    except ConnectionResetError:
        pass
    dropped.close()
sock = socket.create_connection(("127.0.0.1", port), timeout=5)
assert ask(sock, 1, 3, 200, 2) == HR200

assert control("quit") == "ok"
assert server.wait(timeout=1) == 0

# The end of stdin stops the server, unless it was started not to heed it.
quiet, _ = launch(stdin=subprocess.DEVNULL)
assert quiet.wait(timeout=1) == 0
lasting, port = launch("--no-stdin", stdin=subprocess.DEVNULL)
try:
    lasting.wait(timeout=0.3)
    sys.exit("the server stopped at the end of stdin")
except subprocess.TimeoutExpired:
    pass
with socket.create_connection(("127.0.0.1", port), timeout=5) as sock:
    assert ask(sock, 1, 3, 200, 2) == HR200
lasting.terminate()
assert lasting.wait(timeout=1) == 0
print("modbus_server.py: all checks passed")
