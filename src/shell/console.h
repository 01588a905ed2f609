#pragma once
#include <string>

namespace vardelmo {

/// Reads one line of standard input without its line feed, taken as typed.
/// Returns false at end of input or on a read error; `line` is then empty,
/// so an old answer can never be acted on again.
bool read_line(std::string& line);

/// Writes `prompt` and reads the answer. False as for read_line.
bool ask(const char* prompt, std::string& answer);

}  // namespace vardelmo
