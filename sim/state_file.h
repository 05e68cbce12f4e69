#pragma once
// The relays' memory kept across runs: model, link settings, clock offset, breaker state and
// the stored registers (setpoints, I/O, LEDs, link settings, journals, type, serial number).
// A plain text file, one relay per "relay" line followed by its registers in hexadecimal.
#include <string>
#include <vector>

#include "sim/relay_line.h"

namespace tirv::sim {

std::string SaveState(const RelayLine& line);

// Restores relay k of the file into relay k of the line (extra relays of the file are ignored,
// relays the file lacks keep their fresh content). Returns an error text, empty on success.
std::string LoadState(const std::string& text, RelayLine& line);

// Writes the state to `path` through a temporary file and a rename, so a crash never leaves a
// half-written file. Returns false on failure.
bool WriteStateFile(const std::string& path, const RelayLine& line);
// Empty text with no error when the file does not exist yet.
std::string ReadStateFile(const std::string& path, RelayLine& line);

}  // namespace tirv::sim
