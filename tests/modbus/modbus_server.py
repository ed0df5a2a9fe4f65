#!/usr/bin/python3
"""Modbus TCP server with known contents, for the controller link's tests and benchmark.

usage: /usr/bin/python3 tests/modbus/modbus_server.py [--port N] [--delay SECONDS]

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
                                still held back by a delay, and when it is an exception)
  reset                      -> "ok"; the count restarts at 0, the tables stay as they are
  quit                       -> "ok", then the server exits 0; so do stdin EOF and SIGTERM
Malformed commands and values that do not fit (a register above 65535, a bit other than
0/1, an address outside the table) answer "error <reason>" and change nothing.
"""
import argparse
import asyncio
import logging
import math
import signal
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


class Link:  # shared by all connections and the control channel; touched on the loop only
    count = 0
    delay = 0.0


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

    def execute(self, request, *addr):
        Link.count += 1
        super().execute(request, *addr)

    def _send_(self, data):
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


def run_command(blocks, words):
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
        case _:
            raise ValueError("unknown command")
    return "ok"


def control(loop, stop, blocks):
    async def on_loop(words):
        # Run on the event loop so a command never lands in the middle of a request.
        try:
            return run_command(blocks, words)
        except ValueError as error:
            return f"error {error}"

    try:
        for line in sys.stdin:
            if line.split() == ["quit"]:
                print("ok", flush=True)
                break
            print(asyncio.run_coroutine_threadsafe(on_loop(line.split()), loop).result(),
                  flush=True)
    finally:  # also when stdout is gone: a server nobody controls must not linger
        loop.call_soon_threadsafe(stop.set)


async def serve(port):
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
    threading.Thread(target=control, args=(loop, stop, blocks), daemon=True).start()
    await stop.wait()
    for connection in list(server.active_connections.values()):
        connection.transport.close()
    await server.server_close()
    serving.cancel()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--delay", type=parse_delay, default=0.0)
    args = parser.parse_args()
    logging.getLogger("pymodbus").setLevel(logging.CRITICAL + 1)  # calls a disconnect an error
    Link.delay = args.delay
    asyncio.run(serve(args.port))


if __name__ == "__main__":
    main()
