#pragma once
#include <string>

namespace vardelmo {

/// Solves one model file with HiGHS under the shell's time limit and verbose
/// answer, on one thread, prints its block and appends its row. False, with
/// nothing done, when the path does not end in "lp" (or no HiGHS instance
/// could be made). Ctrl+C during the solve stops it with the best solution
/// so far. With a `solution_path`, a model with a solution leaves its best
/// there.
[[nodiscard]] bool run_highs_model(const std::string& model_path,
                                   const std::string& solution_path = {});

/// The version of the HiGHS library the process runs with: "1.15.1".
[[nodiscard]] std::string highs_library_version();

}  // namespace vardelmo
