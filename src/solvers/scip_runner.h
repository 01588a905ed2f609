#pragma once
#include <string>

namespace vardelmo {

/// Solves one model file with SCIP under the shell's time limit and verbose
/// answer, prints its block and appends its row. False, with nothing done,
/// when the path does not end in "lp" (or no SCIP instance could be made).
/// With a `solution_path`, a model with a solution leaves its best there.
[[nodiscard]] bool run_scip_model(std::string model_path, const std::string& solution_path = {});

/// The version of the SCIP library the process runs with: "10.0.2".
[[nodiscard]] std::string scip_library_version();

/// Empty when the SCIP library that the process runs with has the major
/// version the program was built for; otherwise what to tell the user.
[[nodiscard]] std::string scip_library_mismatch();

}  // namespace vardelmo
