#!/usr/bin/python3
"""Modbus TCP server with known contents, for the controller link's tests and benchmark.

usage: /usr/bin/python3 tests/modbus/modbus_server.py [--port N] [--delay SECONDS] [--no-stdin]

Needs Debian 12's python3-pymodbus (3.0.0rc1). Listens on 127.0.0.1; with
--port 0 (the default) the kernel picks a free port. Once connections are
accepted the server prints "READY <port>" on stdout. stdout carries nothing but
protocol lines; pymodbus's own logging is off.

Every unit id (0..255) is answered, all from the same tables (0-based addresses):
  holding registers 0..29999: register n = n for n < 1000, 0 from 1000 on, except
      100 = 1234, 101 = 0xFFFF   (read low word first as one 32-bit value: 0xFFFF04D2)
      110 = 0x0000, 111 = 0x3FC0 (float 1.5, low word first)
      120 = 0x0008               (bit 3 set)
      200..203 = 1, 2, 3, 4
  coils 0..9999: 1 at 0, 2, 5 and 8193, else 0 (8193 lies in the area mapped from 8192 on)
  discrete inputs 0..9999: 1 at 1 and 15, else 0
  input registers 0..99: all 0
A request reaching beyond a table is answered with exception 2 (illegal data address).

Control on stdin, one command a line, each answered by exactly one line on stdout:
  get hr|co|di ADDR COUNT    -> "hr ADDR v1 v2 ..." (decimal; 0/1 for co and di)
  set hr|co|di ADDR V1 V2 .. -> "ok"
  delay SECONDS              -> "ok"; every later Modbus response is sent that much later
  count                      -> "count N": Modbus requests received since start or the
                                last reset (counted on arrival, also while a response is
                                still held back by a delay, when it is an exception, and
                                when a fault spoils or swallows its response)
  reset                      -> "ok"; the count restarts at 0, the tables stay as they are
  fault MODE [N]             -> "ok"; the next N responses the mode applies to go out
                                spoiled (N omitted: all of them until "fault none"), then
                                the server answers correctly again; see below
  fault none                 -> "ok"; any fault ends at once
  drop                       -> "ok"; every client connection is closed at once, abortively
                                (a reset, as from a device that restarts); new connections
                                are accepted as before
  quit                       -> "ok", then the server exits 0; so do stdin EOF (unless
                                --no-stdin) and SIGTERM/SIGINT
Malformed commands and values that do not fit (a register above 65535, a bit other than
0/1, an address outside the table, a fault count below 1) answer "error <reason>" and
change nothing.

Faults. One mode at a time; a new "fault" replaces the one before, count included. A
read mode applies to reads (functions 1-4) only, a write mode to writes (5, 6, 15, 16)
only; other requests are answered correctly meanwhile and do not use up N. A spoiled
response is still sent after the delay. function, extra, missing and echo change the
answer's data: they leave an exception answer as it is, and it does not use up N.
  Read modes:
  cut       only the 7-byte MBAP header goes out (its length field as for the whole
            frame); the rest never comes, later responses follow it on the connection
  len0      the MBAP length field is 0, the rest of the frame unchanged
  lenffff   the MBAP length field is 0xFFFF, the rest of the frame unchanged
  tid       the transaction id is the request's minus 1 (mod 65536)
  unit      the unit id is the request's plus 1 (mod 256)
  function  a well-formed answer of another function: a register read (3, 4) gets a
            function 1 answer of as many bits, all 0; a bit read (1, 2) gets a function
            3 answer of as many registers, all 0 (at most 125, so the byte count fits)
  extra     the data has one register more, 0x1234 (a bit read: one byte more, 0xFF);
            byte count and MBAP length fit the longer data
  missing   the data has one register fewer, the last (a bit read: one byte fewer, the
            last); byte count and MBAP length fit the shorter data
  Write modes:
  silent    the write is not carried out and nothing at all goes back for it
  refuse    the write is not carried out; the answer is exception 4 (server device
            failure)
  echo      the write is carried out, but the echoed (start) address is the request's
            plus 1 (mod 65536); the count or value is echoed as sent

--no-stdin: the end of stdin does not stop the server (commands are still read until
then); it runs until quit, SIGTERM or SIGINT. For a server started in the background.
"""
import argparse
import asyncio
import logging
import math
import signal
import socket
import struct
import sys
import threading
import types

try:
    import serial_asyncio  # noqa: F401
except ImportError:
    # pymodbus loads its serial transport even for TCP, and Debian only recommends
    # python3-serial-asyncio; the TCP server never touches these names.
    for name in ("serial", "serial_asyncio"):
        sys.modules.setdefault(name, types.ModuleType(name))
    sys.modules["serial_asyncio"].create_serial_connection = None

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.server.async_io import ModbusConnectedRequestHandler, ModbusTcpServer


READS = (1, 2, 3, 4)
WRITES = (5, 6, 15, 16)
READ_FAULTS = ("cut", "len0", "lenffff", "tid", "unit", "function", "extra", "missing")
WRITE_FAULTS = ("silent", "refuse", "echo")
DATA_FAULTS = ("function", "extra", "missing", "echo")  # an exception answer has no data
MAX_REGISTERS = 125  # the most a byte count of one answer can carry


class Link:  # shared by all connections and the control channel; touched on the loop only
    count = 0
    delay = 0.0
    fault = None  # one of READ_FAULTS or WRITE_FAULTS
    faults_left = None  # None: until "fault none"

    @classmethod
    def use_fault(cls):
        if cls.faults_left is not None:
            cls.faults_left -= 1
            if cls.faults_left == 0:
                cls.fault = cls.faults_left = None


def fault_applies(mode, function):
    return (mode in READ_FAULTS and function in READS
            or mode in WRITE_FAULTS and function in WRITES)


def spoil(mode, request, data):
    """The response frame as the fault sends it; None if the fault leaves it alone."""
    tid, protocol, _, unit = struct.unpack(">HHHB", data[:7])
    pdu = data[7:]
    if pdu[0] & 0x80 and mode in DATA_FAULTS:
        return None
    match mode:
        case "cut":
            return data[:7]
        case "len0" | "lenffff":
            return data[:4] + struct.pack(">H", 0 if mode == "len0" else 0xFFFF) + data[6:]
        case "tid":
            tid = (tid - 1) & 0xFFFF
        case "unit":
            unit = (unit + 1) & 0xFF
        case "function" if request.function_code in (3, 4):
            size = (request.count + 7) // 8
            pdu = bytes([1, size]) + bytes(size)
        case "function":
            size = 2 * min(request.count, MAX_REGISTERS)
            pdu = bytes([3, size]) + bytes(size)
        case "extra":
            more = b"\x12\x34" if request.function_code in (3, 4) else b"\xff"
            pdu = bytes([pdu[0], pdu[1] + len(more)]) + pdu[2:] + more
        case "missing":
            size = max(pdu[1] - (2 if request.function_code in (3, 4) else 1), 0)
            pdu = bytes([pdu[0], size]) + pdu[2:2 + size]
        case "echo":
            address = struct.unpack(">H", pdu[1:3])[0]
            pdu = pdu[:1] + struct.pack(">H", (address + 1) & 0xFFFF) + pdu[3:]
    return struct.pack(">HHHB", tid, protocol, len(pdu) + 1, unit) + pdu


def make_context():
    hr = [n if n < 1000 else 0 for n in range(30000)]
    hr[100:102] = [1234, 0xFFFF]
    hr[110:112] = [0x0000, 0x3FC0]
    hr[120] = 0x0008
    hr[200:204] = [1, 2, 3, 4]
    co = [1 if n in (0, 2, 5, 8193) else 0 for n in range(10000)]
    di = [1 if n in (1, 15) else 0 for n in range(10000)]
    # zero_mode: without it pymodbus shifts every request address by one.
    return ModbusSlaveContext(hr=ModbusSequentialDataBlock(0, hr),
                              co=ModbusSequentialDataBlock(0, co),
                              di=ModbusSequentialDataBlock(0, di),
                              ir=ModbusSequentialDataBlock(0, [0] * 100), zero_mode=True)


class Handler(ModbusConnectedRequestHandler):
    due = 0.0  # when this connection's last response goes out
    request = None  # the request being answered, while the library answers it

    def execute(self, request, *addr):
        Link.count += 1
        function = request.function_code
        if Link.fault in ("silent", "refuse") and function in WRITES:
            # The write must not reach the tables, so the library never sees it.
            mode = Link.fault
            Link.use_fault()
            if mode == "refuse":
                self._send_(struct.pack(">HHHBBB", request.transaction_id, 0, 3,
                                        request.unit_id, function | 0x80, 4))
            return
        # The library sends the response from within execute, so _send_ learns
        # which request it answers from here.
        self.request = request
        try:
            super().execute(request, *addr)
        finally:
            self.request = None

    def _send_(self, data):
        if self.request is not None and fault_applies(Link.fault, self.request.function_code):
            spoiled = spoil(Link.fault, self.request, data)
            if spoiled is not None:
                Link.use_fault()
                data = spoiled
        # A timer instead of a sleep keeps the loop, and with it the control channel,
        # responsive. Never sending before the previous response keeps a connection's
        # answers in order when the delay is shortened while some are held back.
        loop = asyncio.get_running_loop()
        self.due = max(loop.time() + Link.delay, self.due)
        if self.due <= loop.time():
            self.transport.write(data)
        else:
            loop.call_at(self.due, self._send_late, data)

    def _send_late(self, data):
        if not self.transport.is_closing():
            self.transport.write(data)


def parse_delay(text):
    delay = float(text)
    if not (math.isfinite(delay) and delay >= 0):
        raise ValueError(f"bad delay {text}")
    return delay


def parse_fault_count(text):
    count = int(text)
    if count < 1:
        raise ValueError(f"fault count {text} below 1")
    return count


def drop(server):
    for connection in list(server.active_connections.values()):
        try:
            # Linger 0: the close goes out as a reset, as from a device that restarted.
            connection.transport.get_extra_info("socket").setsockopt(
                socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        except OSError:
            pass  # already gone: closing it is all that is left
        connection.transport.abort()


def run_command(blocks, server, words):
    match words:
        case ["count"]:
            return f"count {Link.count}"
        case ["reset"]:
            Link.count = 0
        case ["delay", seconds]:
            Link.delay = parse_delay(seconds)
        case ["get", table, addr, count] if table in blocks:
            block, addr, count = blocks[table], int(addr), int(count)
            if count < 1 or not block.validate(addr, count):
                raise ValueError(f"{table} {addr} count {count} outside the table")
            values = block.getValues(addr, count)
            return " ".join([table, str(addr)] + [str(int(v)) for v in values])
        case ["set", table, addr, *values] if table in blocks and values:
            block, addr, values = blocks[table], int(addr), [int(v) for v in values]
            if not block.validate(addr, len(values)):
                raise ValueError(f"{table} {addr} count {len(values)} outside the table")
            # Out of range values would go out as corrupt responses or end the connection.
            top = 0xFFFF if table == "hr" else 1
            if any(not 0 <= v <= top for v in values):
                raise ValueError(f"values must lie in 0..{top}")
            block.setValues(addr, values)
        case ["fault", "none"]:
            Link.fault = Link.faults_left = None
        case ["fault", mode, *times] if mode in READ_FAULTS + WRITE_FAULTS and len(times) <= 1:
            left = parse_fault_count(times[0]) if times else None
            Link.fault, Link.faults_left = mode, left
        case ["fault", mode] if mode not in READ_FAULTS + WRITE_FAULTS:
            raise ValueError(f"unknown fault mode {mode}")
        case ["drop"]:
            drop(server)
        case _:
            raise ValueError("unknown command")
    return "ok"


def control(loop, stop, blocks, server, outlive_stdin):
    async def on_loop(words):
        # Run on the event loop so a command never lands in the middle of a request.
        try:
            return run_command(blocks, server, words)
        except ValueError as error:
            return f"error {error}"

    stopping = True
    try:
        for line in sys.stdin or ():  # None when started with stdin closed
            if line.split() == ["quit"]:
                print("ok", flush=True)
                break
            print(asyncio.run_coroutine_threadsafe(on_loop(line.split()), loop).result(),
                  flush=True)
        else:
            stopping = not outlive_stdin
    finally:  # also when stdout is gone: a server nobody controls must not linger
        if stopping:
            loop.call_soon_threadsafe(stop.set)


async def serve(port, outlive_stdin):
    loop = asyncio.get_running_loop()
    stop = asyncio.Event()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    slave = make_context()
    server = ModbusTcpServer(ModbusServerContext(slaves=slave, single=True),
                             address=("127.0.0.1", port), handler=Handler,
                             # a fixed port must be usable again right after a restart
                             allow_reuse_address=True)
    serving = asyncio.create_task(server.serve_forever())
    await asyncio.wait([server.serving, serving], return_when=asyncio.FIRST_COMPLETED)
    if serving.done():
        serving.result()  # the bind failed: raise its error
    print(f"READY {server.server.sockets[0].getsockname()[1]}", flush=True)
    blocks = {"hr": slave.store["h"], "co": slave.store["c"], "di": slave.store["d"]}
    threading.Thread(target=control, args=(loop, stop, blocks, server, outlive_stdin),
                     daemon=True).start()
    await stop.wait()
    for connection in list(server.active_connections.values()):
        connection.transport.close()
    await server.server_close()
    serving.cancel()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--delay", type=parse_delay, default=0.0)
    parser.add_argument("--no-stdin", action="store_true")
    args = parser.parse_args()
    logging.getLogger("pymodbus").setLevel(logging.CRITICAL + 1)  # calls a disconnect an error
    Link.delay = args.delay
    asyncio.run(serve(args.port, args.no_stdin))


if __name__ == "__main__":
    main()
