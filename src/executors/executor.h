#pragma once
// The ways a batch runs its models. The batch (batch/batch_driver.cpp) owns
// the one loop over its entries: which entry is next, the headers of entries
// that are no model, each block, a dead worker's row and the results files.
// An executor only starts models, says when each ended, and stops them on
// Ctrl+C as its way of running needs.
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "base/batch_settings.h"
#include "base/files.h"
#include "solvers/runners.h"
#include "worker/task_queue.h"

namespace vardelmo {

/// One way of running models.
class Executor {
 public:
  virtual ~Executor() = default;
  /// How many models may run at once.
  [[nodiscard]] std::size_t slots() const { return slots_; }
  /// True when a run prints on the console as it goes: the batch prints the
  /// entry's header before start().
  [[nodiscard]] bool live() const { return live_; }

  /// Starts entry `entry`'s model; false when nothing can run this way (it
  /// said why): the batch ends.
  virtual bool start(std::size_t entry, const ModelJob& job) = 0;
  /// Sends the models started so far on their way; the batch calls it
  /// before each wait. False, having said why, when none of them can run:
  /// the batch ends.
  virtual bool dispatch() { return true; }
  /// Waits until a started model ends (at least one runs), for about
  /// `at_most`: none when that time passed first.
  virtual std::optional<EntryEnd> wait_for_any(std::chrono::milliseconds at_most) = 0;
  /// How many of the models started and not handed back still wait for a
  /// place to run (in a scheduler's queue), for the progress line.
  [[nodiscard]] virtual std::size_t queued() const { return 0; }

 protected:
  Executor(std::size_t slots, bool live) : slots_(slots), live_(live) {}

 private:
  std::size_t slots_;
  bool live_;
};

/// What an executor gets to know of its batch.
struct BatchPlan {
  const FileNameList& models;
  std::string output_folder;
  const BatchSettings& settings;
  EntryClock& clock;
};

/// One way of running a batch's models: one of these per executor file.
struct ExecutionMode {
  /// Before the batch asks anything: false, having said why, when models
  /// cannot run this way now.
  bool (*ready)();
  /// The executor for a batch whose folders are known; none, having said
  /// why, when no model can run.
  std::unique_ptr<Executor> (*open)(const BatchPlan& plan);
};

/// In the shell's own process, one model after another; Ctrl+C stops the
/// solver's model, as the solver itself handles it.
extern const ExecutionMode kInProcess;
/// By up to `jobs` worker processes on this machine, which take the models
/// from a queue; Ctrl+C is passed on to them.
extern const ExecutionMode kLocalWorkers;
/// By up to `jobs` Slurm tasks, which take the models from a queue; Ctrl+C
/// cancels them.
extern const ExecutionMode kSlurmArray;

/// The executor of kInProcess, for a batch that no other way can take.
[[nodiscard]] std::unique_ptr<Executor> in_process_executor(const SolveSettings& settings);

}  // namespace vardelmo
