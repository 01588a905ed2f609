#pragma once
#include <string>

namespace vardelmo {

/// What a batch needs of one solver. Each step reports its own library's
/// failures where the user sees them and passes none on.
struct SolverRunner {
  /// The name `ShellSettings.solver` holds.
  const char* name;
  /// Before the batch asks anything: false, after saying why, when the
  /// library the process runs with cannot serve.
  bool (*library_fits)();
  /// Once the folders are known, before the first model: false, after saying
  /// why, when no model can be solved.
  bool (*prepare)();
  /// One model: true when it got its row. With a `solution_path`, a model
  /// that has a solution leaves its best there.
  bool (*run)(const std::string& model_path, const std::string& solution_path);
};

/// Whether a batch entry is a model the runners solve: a name ending in
/// "lp". Any other entry gets its header and nothing else.
[[nodiscard]] bool names_a_model(const std::string& path);

/// The runner of the solver named `name`. A name no solver has gets one
/// that solves nothing.
[[nodiscard]] const SolverRunner& find_runner(const std::string& name);

/// Whether the program has a runner for the solver named `name` (HIGHS only
/// where the build has a HiGHS library).
[[nodiscard]] bool solver_offered(const std::string& name);

/// A line per solver for `--version`: the version of the SCIP library the
/// process runs with, HiGHS's where offered, then Gurobi's, loading the library the program would
/// load for a batch. One that is found but does not load is reported as a
/// batch reports it, and gets no line.
[[nodiscard]] std::string solver_versions();

}  // namespace vardelmo
