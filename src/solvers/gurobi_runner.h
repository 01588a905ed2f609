#pragma once
#include <optional>
#include <string>

#include "solvers/runners.h"

namespace vardelmo {

/// Solves one model file with Gurobi under `settings`, prints its result
/// lines and block and hands back its result. A library failure leaves as
/// GRBException, after the model and the environment have been released.
/// A model with a solution leaves its best at the job's `solution_path`.
[[nodiscard]] ModelResult run_gurobi_model(const ModelJob& job, const SolveSettings& settings);

/// Reads Gurobi's settings file at `path` into a fresh environment, which
/// it frees; a file that does not read leaves as GRBException.
void gurobi_read_settings_file(const std::string& path);

}  // namespace vardelmo
