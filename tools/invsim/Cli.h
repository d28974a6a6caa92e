// What the three commands of the invsim program (serial, tcp, radio) share on their command
// lines: the usage text, numbers and "ID:..." arguments, the register options, the --log lines
// and serving until a stop signal.
#pragma once

#include "tools/invsim/Inverter.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace invsim::cli {

// Prints why the command line is refused and the usage text on stderr; returns the exit code 2.
int Usage(const std::string& why);

// A whole number (decimal, or 0x hexadecimal) from lo to hi.
bool Number(const std::string& s, long lo, long hi, long& v);
// A boot loader's product ID: a whole number (decimal, or 0x hexadecimal) of 32 bits.
bool ProductId(const std::string& s, std::uint32_t& pid);
// "ID:REST" with ID from 1 to maxId.
bool IdAndRest(const std::string& arg, long maxId, int& id, std::string& rest);
// "ID:REG=VALUE" with ID from 1 to maxId, REG from 1 to 65536 and VALUE from 0 to maxValue.
bool Assignment(const std::string& arg, long maxId, long maxValue, int& id, int& reg, long& value);

// Walks the options from argv[first] on. The flags named take no value, every other option takes
// the next argument. option(opt, value) takes one (value empty for a flag) and returns 0, or an
// exit code that ends the walk; a missing value ends it with the usage (2).
int ForEachOption(int argc, char** argv, int first, const std::vector<std::string>& flags,
                  const std::function<int(const std::string& opt, const std::string& value)>& option);

// Reaches inverter id of the device; false when the device has no such inverter.
using WithInverter = std::function<bool(int id, const std::function<void(Inverter&)>& f)>;
// The options every command takes for its inverters: --set, --holding, --input ID:REG=VALUE,
// --coil ID:REG=0|1 and --demo ID, IDs from 1 to maxId. 1 handled, 0 not one of these, -1 bad.
int RegisterOption(const std::string& opt, const std::string& arg, long maxId, const WithInverter& with);

// One --log line: what, the time in seconds with microseconds, the body.
void PrintLogLine(const char* what, std::int64_t timeUs, const std::string& body);

// Keeps SIGINT, SIGTERM and SIGHUP from the serving threads: call before the device starts.
void BlockStopSignals();
// After the device's start: its error on stderr (1), or its first line on stdout and a wait
// for a stop signal (0).
int AnnounceAndWait(bool started, const std::string& error, const std::string& firstLine);

} // namespace invsim::cli
