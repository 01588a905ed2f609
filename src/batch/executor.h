#pragma once
// The ways a batch runs its models. The driver (batch_driver.cpp) owns the
// one loop over a batch's entries: which entry is next, the headers of
// entries that are no model, each block, a dead worker's row, Ctrl+C and the
// results file. An executor only starts models and says when each ended.
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/files.h"
#include "solvers/outcome.h"

namespace vardelmo {

/// What one model came to.
struct ModelResult {
  /// Its row without the SOLVER field ("NOME;TEMPO;STATUS;Z;"); none when
  /// the run gave none (as a runner that could not read the model may).
  std::optional<std::string> row;
  /// The numbers behind the row.
  OutcomeFigures figures;
};

/// One model to solve.
struct ModelJob {
  std::string model_path;
  /// Where its best solution goes; empty: nowhere.
  std::string solution_path;
};

/// What a model's run printed where the console could not show it as it
/// happened: in another process.
struct CapturedOutput {
  std::string output;
  std::string errors;
};

/// A model that ended, as an executor hands it to the driver.
struct EntryEnd {
  std::size_t entry = 0;
  /// What its run printed, for the driver to show as its block; none when it
  /// showed on the console as it ran.
  std::optional<CapturedOutput> captured;
  /// None when the process solving it ended before the model did.
  std::optional<ModelResult> result;
  /// Without a result: Ctrl+C ended it (else the solver failed).
  bool interrupted = false;
};

/// When each model of a batch began to run, for the time of a model whose
/// process died.
class EntryClock {
 public:
  using Clock = std::chrono::steady_clock;
  explicit EntryClock(std::size_t entries) : began_(entries) {}
  void began(std::size_t entry) { began_[entry] = Clock::now(); }
  /// Seconds since `entry` began; 0 for one that never ran.
  [[nodiscard]] double seconds(std::size_t entry) const;

 private:
  std::vector<std::optional<Clock::time_point>> began_;
};

/// How Ctrl+C reaches the models while a batch runs. At the prompt it ends
/// the shell, whatever the batch did.
enum class CtrlC {
  Solver,   // the solver in this process stops its model
  Workers,  // passed on to the worker processes, whose solvers stop theirs
  Noted,    // only noted: the executor stops what runs (see wait_for_any)
};

/// Whether Ctrl+C came, for executors whose models it does not reach.
class Interruption {
 public:
  virtual ~Interruption() = default;
  [[nodiscard]] virtual bool raised() const = 0;
};

/// One way of running models.
class Executor {
 public:
  enum class Start {
    Running,   // wait_for_any will hand it back
    Failed,    // nothing can run this way (it said why): the batch ends
  };

  virtual ~Executor() = default;
  /// How many models may run at once.
  [[nodiscard]] virtual std::size_t slots() const = 0;
  /// True when a run prints on the console as it goes: the driver prints
  /// the entry's header before start().
  [[nodiscard]] virtual bool live() const { return false; }
  [[nodiscard]] virtual CtrlC ctrl_c() const = 0;
  /// How many worker processes of this machine may run at once, for
  /// CtrlC::Workers.
  [[nodiscard]] virtual std::size_t local_workers() const { return 0; }
  /// Starts entry `entry`'s model.
  virtual Start start(std::size_t entry, const ModelJob& job) = 0;
  /// Sends the models started so far on their way; the driver calls it
  /// before each wait. False, having said why, when none of them can run:
  /// the batch ends.
  virtual bool dispatch() { return true; }
  /// Waits until a started model ends (at least one runs), for about
  /// `at_most`: none when that time passed first. With CtrlC::Noted, once
  /// `interruption` is raised every model still running ends, unsolved.
  virtual std::optional<EntryEnd> wait_for_any(const Interruption& interruption,
                                               std::chrono::milliseconds at_most) = 0;
  /// How many of the models started and not handed back still wait for a
  /// place to run (in a scheduler's queue), for the progress line.
  [[nodiscard]] virtual std::size_t queued() const { return 0; }
};

/// What an executor gets to know of its batch.
struct BatchPlan {
  const FileNameList& models;
  std::string output_folder;
  std::size_t jobs;
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

/// In the shell's own process, one model after another.
extern const ExecutionMode kInProcess;
/// By up to `jobs` worker processes on this machine, which take the models
/// from a queue.
extern const ExecutionMode kLocalWorkers;
/// By up to `jobs` Slurm tasks, which take the models from a queue.
extern const ExecutionMode kSlurmArray;

/// The executor of kInProcess, for a batch that no other way can take.
[[nodiscard]] std::unique_ptr<Executor> in_process_executor();

/// Runs a model with the chosen solver in this process; its console block
/// shows as it goes.
[[nodiscard]] ModelResult solve_model(const ModelJob& job);

}  // namespace vardelmo
