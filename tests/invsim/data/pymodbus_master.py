"""Drives a simulated inverter with pymodbus as the Modbus master and prints one line per step.

usage: pymodbus_master.py PTY
The simulator must run with: --id 1 --id 2@19200 --set 1:5=42 --set 1:6=0x1234 --holding 1:10=7
--input 1:20=9 --coil 1:3=1 --coil 1:4=0 --coil 1:5=1 --page 1:16=2301,5 --set 2:1=77
"""
import sys

from pymodbus.client import ModbusSerialClient


def show(name, r):
    if r.isError():
        code = getattr(r, "exception_code", None)
        print(f"{name} exception {code}" if code is not None else f"{name} error")
    elif hasattr(r, "registers"):
        print(f"{name} {r.registers}")
    elif hasattr(r, "bits"):
        print(f"{name} {[int(b) for b in r.bits[:3]]}")
    else:
        print(f"{name} ok")


def main():
    port = sys.argv[1]
    # This pymodbus takes whole seconds as its time-out.
    c = ModbusSerialClient(port=port, baudrate=9600, timeout=1, retries=0)
    if not c.connect():
        print("cannot connect")
        return 1
    show("fc3 5..6", c.read_holding_registers(4, 2, slave=1))
    show("fc4 5..6", c.read_input_registers(4, 2, slave=1))
    show("fc4 10", c.read_input_registers(9, 1, slave=1))
    show("fc4 20", c.read_input_registers(19, 1, slave=1))
    show("fc1 3..5", c.read_coils(2, 3, slave=1))
    show("fc5 4 on", c.write_coil(3, True, slave=1))
    show("fc1 4", c.read_coils(3, 1, slave=1))
    show("fc6 10", c.write_register(9, 1000, slave=1))
    show("fc3 10", c.read_holding_registers(9, 1, slave=1))
    show("fc6 100", c.write_register(99, 1, slave=1))
    show("fc6 800", c.write_register(799, 16, slave=1))
    show("fc3 800", c.read_holding_registers(799, 1, slave=1))
    show("fc4 1056..1058", c.read_input_registers(1055, 3, slave=1))
    show("fc3 126 regs", c.read_holding_registers(4, 126, slave=1))
    show("fc2", c.read_discrete_inputs(0, 1, slave=1))
    c.close()
    c = ModbusSerialClient(port=port, baudrate=19200, timeout=1, retries=0)
    c.connect()
    show("id2 fc3 1", c.read_holding_registers(0, 1, slave=2))
    c.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
