#pragma once

namespace vardelmo {

/// True when a Gurobi library file opens for reading where the program looks
/// for one (platform::find_gurobi_library). A folder of that name does not
/// count.
[[nodiscard]] bool gurobi_library_present();

void select_solver();  // command `solver`

}  // namespace vardelmo
