#pragma once
#include <cstddef>
#include <map>
#include <string>

namespace vardelmo {

/// The shell-wide settings. Texts are kept as typed and compared as
/// texts by their readers. The shell's commands change them; the solvers and
/// the results file read them.
struct ShellSettings {
  /// "SCIP" or "GUROBI": the solver of the next batch.
  std::string solver = "SCIP";
  /// Seconds handed to the solver; 0 means no limit is set at all.
  double time_limit = 0;
  /// "s" or "n"; "n" switches the solver's log off.
  std::string verbose = "n";
  /// How many models a batch solves at once; 1 solves them in the shell's
  /// own process, more in as many worker processes.
  std::size_t jobs = 1;
  /// "s" or "n"; "s" sends a batch's models to a Slurm cluster.
  std::string cluster = "n";
  /// "s" or "n"; "s" keeps each model's best solution in the output folder.
  std::string save_sol = "n";
  /// "s" or "n"; "s" keeps the results of models an earlier batch brought
  /// to an end in the output folder, and solves only the others.
  std::string resume = "n";
  /// Megabytes each model's solve may use; 0 sets no limit.
  std::size_t mem_limit = 0;
  /// Each solver's own settings file, by the solver's name; none for a
  /// solver without one.
  std::map<std::string, std::string> param_files;
};

/// The process-wide instance.
inline ShellSettings shell_settings;

}  // namespace vardelmo
