#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "batch/executor.h"

namespace vardelmo {

/// One model for a worker process: this program started again, which reads
/// the task from its standard input, solves the model with the runner code
/// the shell itself uses, prints the model's console block (less its header)
/// on standard output and leaves the model's result in the result file.
struct WorkerTask {
  std::string solver;
  double time_limit = 0;
  std::string verbose;
  /// MB for the solver; 0: no limit, and no cap on the worker.
  std::size_t mem_limit = 0;
  std::string model_path;
  std::string result_path;
  /// Where the model's best solution goes; empty: nowhere.
  std::string solution_path;
};

/// With a solver limited to `mem_limit` MB, the MB that a worker may take
/// beyond what it holds once its solver's library is loaded, and that Slurm
/// grants a task: a solver checks its own limit only now and then, and may
/// pass it in between.
[[nodiscard]] std::size_t worker_memory_cap(std::size_t mem_limit);

/// The text of the file a worker reads its task from.
[[nodiscard]] std::string encode_worker_task(const WorkerTask& task);
/// A task file's text back; none when it is not one encode_worker_task wrote.
[[nodiscard]] std::optional<WorkerTask> decode_worker_task(std::string_view text);

/// The bytes of a worker's result file, and back: none when they are not
/// a whole result (a worker that died while writing leaves none).
[[nodiscard]] std::string encode_worker_result(const ModelResult& result);
[[nodiscard]] std::optional<ModelResult> decode_worker_result(std::string_view bytes);

/// When this process was started as a worker: does its task and returns
/// true, and the process should end. False for the shell.
[[nodiscard]] bool serve_as_worker();

}  // namespace vardelmo
