#pragma once
// Runs shell sessions inside the fuzzing process: scripted standard input in,
// standard output and error (the shell's and the libraries') out, in a
// scratch folder that is laid anew for every input so that no input depends
// on an earlier one.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "files.h"

namespace vardelmo::fuzz {

struct SessionOutput {
  std::string out;
  std::string err;
};

/// Lays out a fresh working folder and makes it the working directory:
///   m/  a small LP model (a.lp), a MathProg model with its data (b.mod,
///       b.dat), a text file and a folder whose name ends in "lp";
///   o/  empty, for results;
///   libgurobi110.so, a link to the Gurobi stand-in, which `solver` accepts
///   and a Gurobi batch loads.
/// Returns the working folder.
const std::filesystem::path& fresh_workspace();

/// Runs command_loop from its start with `input` as standard input and the
/// shell settings and batch lists as at process start.
SessionOutput run_session(const std::string& input);

/// Ends the process with `what` on standard error unless `condition` holds;
/// the fuzzer keeps the input that did it.
void require(bool condition, const char* what, const SessionOutput& session);

/// How a session that ends in `help` and `exit` ends when the shell went on
/// to them: the end of the help text, the prompt and the goodbye.
inline const std::string kWentOnToExit = "finalizar Vardelmo\n\nVardelmo> Saindo do shell...\n";

inline bool ends_with(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

using test::read_file;
using test::write_file;

}  // namespace vardelmo::fuzz
