"""A Modbus server of pymodbus that speaks RTU frames over TCP on 127.0.0.1, as a Wi-Fi module does.

usage: pymodbus_rtu_server.py
Prints the port it listens on, alone on a line, once it accepts connections; serves until killed.
Holding registers at wire addresses 0..9 hold 100..109, input registers 0..29 hold 1000..1029;
every holding register can be written (the keep-alive write goes to wire address 60514).
"""
import asyncio
import sys

from pymodbus.datastore import ModbusSequentialDataBlock, ModbusServerContext, ModbusSlaveContext
from pymodbus.server import StartAsyncTcpServer
from pymodbus.transaction import ModbusRtuFramer


async def main():
    holding = [0] * 65536
    holding[0:10] = range(100, 110)
    inputs = [0] * 65536
    inputs[0:30] = range(1000, 1030)
    slave = ModbusSlaveContext(
        hr=ModbusSequentialDataBlock(0, holding),
        ir=ModbusSequentialDataBlock(0, inputs),
        co=ModbusSequentialDataBlock(0, [0] * 100),
        di=ModbusSequentialDataBlock(0, [0] * 100),
        zero_mode=True,
    )
    context = ModbusServerContext(slaves=slave, single=True)
    server = await StartAsyncTcpServer(
        context=context, address=("127.0.0.1", 0), framer=ModbusRtuFramer, defer_start=True
    )
    task = asyncio.ensure_future(server.serve_forever())
    await server.serving
    print(server.server.sockets[0].getsockname()[1], flush=True)
    await task


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        sys.exit(0)
