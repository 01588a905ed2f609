#pragma once
#include <string>
#include <vector>

#include "base/text_list.h"

namespace vardelmo {

/// Rows that runs reported and no one took yet, without their SOLVER field:
/// "NOME;TEMPO;STATUS;Z;". A batch takes each one into its ResultsFile.
extern TextList result_rows;

/// What a solver run came to, in the words of the results file.
enum class Outcome {
  Optimal,
  Infeasible,
  Unbounded,
  InfeasibleOrUnbounded,
  TimeLimit,
  UserInterrupt,
  NodeLimit,
  MemoryLimit,
  OtherLimit,
  Unknown,
  ReadError,
  SolverError,  // the process solving the model died
};

/// What a solver's status comes to, and whether the console block shows it:
/// each solver's table of statuses says which it shows.
struct ClassifiedStatus {
  Outcome outcome;
  bool in_solver_table;
};

/// The path cut at every separator; a text without one is one component.
[[nodiscard]] std::vector<std::string> split_path(std::string path);

/// printf's "%f" with the decimal comma, as the results file writes numbers.
[[nodiscard]] std::string number_text(double value);

/// The console's form of a number: six significant digits, decimal point.
[[nodiscard]] std::string console_number(double value);

/// The NOME field of a row: the name as is, unless it holds ';', '"', CR or
/// LF; then between double quotes with every '"' doubled, as spreadsheets
/// read a semicolon-separated file. Every row builder goes through it.
[[nodiscard]] std::string name_field(const std::string& name);

/// One model's console block and result row, built in the order the runners
/// read their solver's values: the NOME line when constructed, then the time,
/// the status and the objective, and the row is appended by finish().
class OutcomeReport {
 public:
  explicit OutcomeReport(const std::string& model_path);
  void time(double seconds);
  /// Prints the STATUS line only when the solver's table has the status;
  /// the row always gets a word, so it keeps its five columns.
  void status(Outcome outcome, bool in_solver_table);
  void objective(double value);
  /// For a run that has no objective value to give: the Z field stays empty.
  void no_objective();
  void finish();

 private:
  std::string row_;
};

}  // namespace vardelmo
