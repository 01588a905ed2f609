#pragma once

namespace vardelmo {

/// True when the Gurobi library file in the working folder opens for reading.
/// A folder of that name does not count.
[[nodiscard]] bool gurobi_library_present();

void select_solver();  // command `solver`

}  // namespace vardelmo
