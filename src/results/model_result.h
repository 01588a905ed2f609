#pragma once
// What one model's run came to, as a value: what every runner hands back,
// what a worker sends its shell, and what the results files are made of.
#include <optional>
#include <string>

namespace vardelmo {

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

/// The status's word in the results file.
[[nodiscard]] const char* outcome_word(Outcome outcome);
/// The status a word of the results file names; none for any other text.
[[nodiscard]] std::optional<Outcome> outcome_of(const std::string& word);

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

/// One model's result: its row of each results file is made from it alone.
struct ModelResult {
  /// NOME: the model file's name.
  std::string name;
  Outcome outcome = Outcome::Unknown;
  /// TEMPO, in seconds.
  double seconds = 0;
  /// Z as the solver reports it; empty when the run has none to give.
  std::optional<double> z;
  SearchFigures search;
};

/// What a run hands back: its result, or none when it came to none (a
/// runner that could not even start on the model, having said why).
using RunResult = std::optional<ModelResult>;

}  // namespace vardelmo
