#pragma once
#include <cstddef>
#include <string>

namespace vardelmo {

/// What a solver run needs of the shell's settings, fixed for a batch.
struct SolveSettings {
  /// The name of the solver's runner ("SCIP", "GUROBI").
  std::string solver = "SCIP";
  /// Seconds handed to the solver; 0 sets no limit at all.
  double time_limit = 0;
  /// The solver's own log on the console.
  bool verbose = false;
  /// Megabytes each model's solve may use; 0 sets no limit.
  std::size_t mem_limit = 0;
  /// The solver's own settings file, read into each fresh instance before
  /// the settings above; empty: none.
  std::string param_file;
};

/// The settings of one batch, taken from the shell's when `opt` starts: a
/// batch runs under the same ones from its first model to its last.
struct BatchSettings {
  SolveSettings solve;
  /// Models solved at once; 1: in the shell's own process.
  std::size_t jobs = 1;
  /// Through a Slurm cluster.
  bool cluster = false;
  /// Each model's best solution kept in the output folder.
  bool save_sol = false;
  /// Models that an earlier batch brought to an end keep their results.
  bool resume = false;
};

}  // namespace vardelmo
