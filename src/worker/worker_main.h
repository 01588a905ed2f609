#pragma once

namespace vardelmo {

/// When this process was started as a worker: does its work and returns
/// true, and the process should end. False for the shell.
[[nodiscard]] bool serve_as_worker();

}  // namespace vardelmo
