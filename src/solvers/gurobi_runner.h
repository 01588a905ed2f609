#pragma once
#include <string>

namespace vardelmo {

/// Solves one model file with Gurobi under the shell's settings, prints its
/// result lines and block and appends its row. False, with no library call,
/// when the path does not end in "lp". A library failure leaves as
/// GRBException, after the model and the environment have been released.
/// With a `solution_path`, a model with a solution leaves its best there.
[[nodiscard]] bool run_gurobi_model(std::string model_path, const std::string& solution_path = {});

}  // namespace vardelmo
