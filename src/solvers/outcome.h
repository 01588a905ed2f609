#pragma once
#include <optional>
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

/// What a solve came to besides its status and time, as each runner reads
/// it from its solver. A value the solver does not define for the run (no
/// solution, an infinite gap) is empty.
struct SearchFigures {
  /// The objective value of the best solution found.
  std::optional<double> objective;
  std::optional<double> dual_bound;
  /// The solver's relative gap, in percent.
  std::optional<double> gap_percent;
  /// Branch-and-bound nodes.
  std::optional<double> nodes;
  bool maximize = false;
};

/// The numbers behind a model's row, for the details file, the check against
/// known optima and a batch's summary.
struct OutcomeFigures {
  Outcome outcome = Outcome::Unknown;
  double seconds = 0;
  SearchFigures search;
};

/// The status's word in the results file.
[[nodiscard]] const char* outcome_word(Outcome outcome);

/// The figures of the rows in `result_rows`, one each, in the same order.
extern std::vector<OutcomeFigures> result_figures;

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
  /// Figures that go into no console line and no field of the row.
  void search(const SearchFigures& figures);
  void finish();

 private:
  std::string row_;
  OutcomeFigures figures_;
};

}  // namespace vardelmo
