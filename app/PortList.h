// The serial ports offered in the port list: UARTs that have a device behind them, USB serial
// adapters and modems, and the stable by-id names of USB adapters.
#pragma once

#include <QStringList>

// Device paths under devRoot ("/dev"), checked against sysRoot ("/sys/class/tty"):
// ttyS* only when the kernel reports a real UART (port type not 0), then ttyUSB*, ttyACM*,
// and devRoot/serial/by-id/*. Each group in natural order (ttyUSB2 before ttyUSB10).
QStringList SerialPortNames(const QString& devRoot = QStringLiteral("/dev"),
                            const QString& sysRoot = QStringLiteral("/sys/class/tty"));
