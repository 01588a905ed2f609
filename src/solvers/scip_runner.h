#pragma once
#include <string>

namespace vardelmo {

/// Solves one model file with SCIP under the shell's time limit and verbose
/// answer, prints its block and appends its row. False, with nothing done,
/// when the path does not end in "lp" (or no SCIP instance could be made).
bool run_scip_model(std::string model_path);

}  // namespace vardelmo
