// Mutated LP files through `opt`, once with SCIP and once with Gurobi. Every
// entry gets its header, every run ends with a row in the results file or
// an error message, and the shell goes on to the next command.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "session.h"

namespace {

using namespace vardelmo::fuzz;

const std::string kHeader = "SOLVER;NOME;TEMPO;STATUS;Z\n";

bool starts_with(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

// One row for the model: the header, then a single line naming it.
bool holds_one_row(const std::string& csv, const std::string& solver) {
  const std::string row_start = kHeader + solver + ";x.lp;";
  return starts_with(csv, row_start) && ends_with(csv, ";\n") &&
         csv.find('\n', kHeader.size()) == csv.size() - 1;
}

// A time limit keeps a hard model from holding up the fuzzer.
void check_batch(const std::string& model, const std::string& solver) {
  const std::filesystem::path& work = fresh_workspace();
  std::filesystem::remove_all(work / "m");
  std::filesystem::create_directory(work / "m");
  write_file(work / "m" / "x.lp", model);
  const std::string choice = solver == "SCIP" ? "" : "solver\n" + solver + "\n";
  const SessionOutput session = run_session(choice + "time_limit\n0,5\nopt\nm\no\nhelp\nexit\n");

  require(session.out.find("MODELO 0 \n") != std::string::npos, "the model got no header",
          session);
  const std::filesystem::path csv = work / "o" / "sol_stat.csv";
  const bool row = std::filesystem::exists(csv) && holds_one_row(read_file(csv), solver);
  // Gurobi's failures leave no row, only their message.
  const bool message = solver == "GUROBI" && !std::filesystem::exists(csv) &&
                       session.err.find("Erro do Gurobi (código ") != std::string::npos;
  require(row || message, "the run ended with neither a row nor an error message", session);
  require(ends_with(session.out, kWentOnToExit), "the shell did not go on after the batch", session);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string model(reinterpret_cast<const char*>(data), size);
  check_batch(model, "SCIP");
  check_batch(model, "GUROBI");
  return 0;
}
