#pragma once
#include <optional>
#include <string>

namespace vardelmo {

/// One model for a worker process: this program started again, which reads
/// the task from its standard input, solves the model with the runner code
/// the shell itself uses, prints the model's console block (less its header)
/// on standard output and leaves the model's row in the result file.
struct WorkerTask {
  std::string solver;
  double time_limit = 0;
  std::string verbose;
  std::string model_path;
  std::string result_path;
};

/// The text of the file a worker reads its task from.
[[nodiscard]] std::string encode_worker_task(const WorkerTask& task);

/// What a worker left: nothing when it ended before finishing its model;
/// else the model's row, or no row (as an in-process run may end without one).
using WorkerResult = std::optional<std::optional<std::string>>;
[[nodiscard]] WorkerResult read_worker_result(const std::string& result_path);

/// When this process was started as a worker: does its task and returns
/// true, and the process should end. False for the shell.
[[nodiscard]] bool serve_as_worker();

}  // namespace vardelmo
