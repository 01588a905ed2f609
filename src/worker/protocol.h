#pragma once
// What the shell and its workers tell each other through the files of a
// batch's task folder (task_queue.h), each in one text form written once and
// read once.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/batch_settings.h"
#include "results/model_result.h"
#include "solvers/runners.h"

namespace vardelmo {

/// The first line of a worker's order: no command script a user feeds the
/// shell starts with it.
inline constexpr std::string_view kOrderMagic = "\x7fVARDELMO WORKER 4\n";

/// What a worker process is told: this program started again, which reads
/// its order from standard input, then takes the models of a batch's task
/// list one after another until none is left, solving each with the runner
/// code the shell itself uses.
struct WorkerOrder {
  /// The batch's settings for each solve; with a memory limit, also a cap
  /// on the worker.
  SolveSettings settings;
  /// The batch's task folder.
  std::string folder;
  /// The batch's entries: task files are numbered below this.
  std::size_t entries = 0;
  /// The worker's name in the folder; empty: a Slurm task, named by Slurm.
  std::string name;
  /// On a file system that other machines read: what the worker wrote is
  /// pushed out before it says a model ended.
  bool shared = false;
};

/// With a solver limited to `mem_limit` MB, the MB that a worker may take
/// beyond what it holds once its solver's library is loaded, and that Slurm
/// grants a task: a solver checks its own limit only now and then, and may
/// pass it in between.
[[nodiscard]] std::size_t worker_memory_cap(std::size_t mem_limit);

/// The text of a worker's order, and back; none when it is not one
/// encode_worker_order wrote.
[[nodiscard]] std::string encode_worker_order(const WorkerOrder& order);
[[nodiscard]] std::optional<WorkerOrder> decode_worker_order(std::string_view text);

/// One model of a batch's task list, as text; a list is such texts one after
/// another, in the order workers take them. Read back: each entry with its
/// job, in that order; none when the text is no whole list of entries below
/// `entries`.
[[nodiscard]] std::string encode_task(std::size_t entry, const ModelJob& job);
[[nodiscard]] std::optional<std::vector<std::pair<std::size_t, ModelJob>>> decode_task_list(
    std::string_view text, std::size_t entries);

/// A run's result as bytes, and back: none when they are not a whole one.
[[nodiscard]] std::string encode_worker_result(const RunResult& result);
[[nodiscard]] std::optional<RunResult> decode_worker_result(std::string_view bytes);

/// One entry of a worker's log: it took a model, or the model ended. An
/// ended model's console block is what the worker's standard output and
/// error gained since the model before ended, up to the given positions.
struct WorkerRecord {
  bool ended = false;
  std::size_t entry = 0;
  /// Where the worker's standard output and error stood when the model
  /// ended; none when the worker could not tell (then: to their end).
  std::optional<std::size_t> output_end;
  std::optional<std::size_t> errors_end;
  /// For an ended model; none when the bytes were no result.
  std::optional<RunResult> result;
};
[[nodiscard]] std::string encode_worker_record(const WorkerRecord& record);
/// Takes the first whole record off `log`; false (and `log` as it was) when
/// it holds none yet.
[[nodiscard]] bool take_worker_record(std::string_view& log, WorkerRecord& record);

}  // namespace vardelmo
