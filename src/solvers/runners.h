#pragma once
#include <optional>
#include <string>
#include <vector>

#include "base/batch_settings.h"
#include "results/model_result.h"

namespace vardelmo {

/// One model to solve.
struct ModelJob {
  std::string model_path;
  /// Where its best solution goes; empty: nowhere.
  std::string solution_path;
  /// Where the program unpacked it for a library that reads no gzip;
  /// empty: the solver reads `model_path` itself.
  std::string unpacked_path{};
  /// The file the solver reads; `model_path` still names the model.
  [[nodiscard]] const std::string& read_path() const {
    return unpacked_path.empty() ? model_path : unpacked_path;
  }
};

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
  /// One model: prints its block and hands back its result; none when the
  /// run came to no result (it said why). A model that has a solution
  /// leaves its best at the job's `solution_path`, if any.
  std::optional<ModelResult> (*run)(const ModelJob& job, const SolveSettings& settings);
  /// Whether the solver's settings file at `path` reads into a fresh
  /// instance; when not, says why in the solver's words on standard error.
  bool (*settings_file_reads)(const std::string& path);
  /// The version of the library a batch runs with, once `prepare` passed.
  std::string (*library_version)();
  /// Whether the library reads gzip-compressed models itself; when not,
  /// `solve_model` hands it an unpacked copy.
  bool (*reads_gzip)();
};

/// Whether a batch entry is a model the runners solve: a name ending in
/// "lp" (CPLEX LP), ".mps", ".lp.gz" or ".mps.gz"; each solver's own reader
/// takes it by its name. Any other entry gets its header and nothing else.
[[nodiscard]] bool names_a_model(const std::string& path);

/// The runner of the solver named `name`. A name no solver has gets one
/// that solves nothing.
[[nodiscard]] const SolverRunner& find_runner(const std::string& name);

/// The names of every solver, as the results files' SOLVER field gives them.
[[nodiscard]] std::vector<std::string> solver_names();

/// Runs a model with the solver `settings` names, in this process. A
/// compressed model whose library reads no gzip is read from a copy
/// unpacked for it alone; one that does not unpack gets a read error's
/// block and row, with zlib's or the system's words on standard error.
[[nodiscard]] std::optional<ModelResult> solve_model(const ModelJob& job,
                                                     const SolveSettings& settings);

/// Whether the program has a runner for the solver named `name` (HIGHS only
/// where the build has a HiGHS library).
[[nodiscard]] bool solver_offered(const std::string& name);

/// A line per solver for `--version`: the version of the SCIP library the
/// process runs with, HiGHS's where offered, then Gurobi's, loading the library the program would
/// load for a batch. One that is found but does not load is reported as a
/// batch reports it, and gets no line.
[[nodiscard]] std::string solver_versions();

}  // namespace vardelmo
