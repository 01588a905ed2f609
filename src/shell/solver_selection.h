#pragma once

namespace vardelmo {

/// True when a Gurobi library file opens for reading where the program looks
/// for one (platform::find_gurobi_library). A folder of that name does not
/// count.
[[nodiscard]] bool gurobi_library_present();

/// The solver names the shell offers, as its help line and prompt list
/// them: "SCIP/GUROBI/HIGHS", or without HIGHS where the build has no HiGHS.
[[nodiscard]] const char* solver_help();

void select_solver();  // command `solver`

}  // namespace vardelmo
