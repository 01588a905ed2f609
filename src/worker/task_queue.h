#pragma once
#include <chrono>
#include <cstdint>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/batch_settings.h"
#include "base/files.h"
#include "base/own_folder.h"
#include "base/process.h"
#include "results/model_result.h"
#include "solvers/runners.h"

namespace vardelmo {

/// What a model's run printed where the console could not show it as it
/// happened: in another process.
struct CapturedOutput {
  std::string output;
  std::string errors;
};

/// A model that ended, as the ways of running models hand it to the batch.
struct EntryEnd {
  std::size_t entry = 0;
  /// What its run printed, for the batch to show as its block; none when it
  /// showed on the console as it ran.
  std::optional<CapturedOutput> captured;
  /// None when the process solving it ended before the model did.
  std::optional<RunResult> result;
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

/// The files of a batch's queue of models in its task folder: the task list,
/// written once; a claim name per model taken, made by the worker that took
/// it as a link to one of its tokens (files holding its name); per worker
/// its order, what it printed and its log (workers.h); and the shell's
/// heartbeat. Every file but the claims is made once, not once a model:
/// making a file costs some file systems a millisecond.
namespace queue_files {
[[nodiscard]] std::string tasks(const std::string& folder);
[[nodiscard]] std::string claim(const std::string& folder, std::size_t entry);
[[nodiscard]] std::string token(const std::string& folder, const std::string& worker,
                                std::size_t number);
/// Suffixes: ".in" (its order), ".out", ".err", ".log".
[[nodiscard]] std::string of_worker(const std::string& folder, const std::string& worker,
                                    const char* suffix);
[[nodiscard]] std::string heartbeat(const std::string& folder);
}  // namespace queue_files

/// The shell's side of a batch's queue: it puts the models in, keeps the
/// heartbeat, and reads what the workers logged into ended models.
class TaskQueue {
 public:
  /// `shared`: on a file system that workers on other machines use. Each
  /// model is solved under `settings`.
  TaskQueue(const std::filesystem::path& base, bool held, bool shared, const FileNameList& models,
            EntryClock& clock, SolveSettings settings);

  [[nodiscard]] bool usable() const { return folder_.usable() && beating_; }
  [[nodiscard]] const std::string& folder() const { return folder_.path(); }
  [[nodiscard]] std::string file_of(const std::string& worker, const char* suffix) const {
    return queue_files::of_worker(folder(), worker, suffix);
  }

  /// Puts entry `entry`'s model in the list.
  void add(std::size_t entry, const ModelJob& job);
  /// Writes the list, once, the largest model files first: a batch ends
  /// when its last model does, and a long model taken last would leave the
  /// other workers idle. False, with `why`, when it cannot.
  [[nodiscard]] bool publish(std::string& why);
  /// Writes the order of worker `worker` (empty: each Slurm task takes its
  /// name from Slurm); false, with `why`, when it cannot.
  [[nodiscard]] bool write_order(const std::string& worker, std::string& why) const;

  /// Rewrites the heartbeat when it is due.
  void beat();
  /// Reads what worker `worker` logged since the last time.
  void read_log(const std::string& worker);
  /// Worker `worker` ended: the model it was solving ends without a result,
  /// with `why` (when not empty) on its standard error.
  void worker_ended(const std::string& worker, bool interrupted, const std::string& why);
  /// Every model not ended ends without a result.
  void end_all(bool interrupted);

  /// Removes the other task folders in the same base folder whose heartbeat
  /// stopped minutes ago (their shells were killed; their workers stopped
  /// soon after), told by the file system's own clock, whatever the
  /// machines' clocks say. Those that cannot all go stay.
  void remove_silent_neighbours() const;

  /// Models put in and not ended.
  [[nodiscard]] std::size_t open() const { return open_; }
  /// Models no worker has said it took.
  [[nodiscard]] std::size_t untaken() const { return untaken_; }
  /// The worker logged something at all.
  [[nodiscard]] bool heard_from(const std::string& worker) const;
  /// The next model that ended, in the order they did.
  [[nodiscard]] std::optional<EntryEnd> next_ended();

 private:
  enum class State : unsigned char { None, Queued, Taken, Ended };
  struct Worker {
    std::size_t log_at = 0;
    std::size_t output_at = 0;
    std::size_t errors_at = 0;
    /// The model it said it took and has not ended.
    std::optional<std::size_t> solving;
  };
  CapturedOutput output_of(const std::string& worker, Worker& at,
                           std::optional<std::size_t> output_end,
                           std::optional<std::size_t> errors_end) const;
  void end(std::size_t entry, EntryEnd ended);

  // The batch's private folder for its workers' files.
  OwnFolder folder_;
  bool shared_;
  const FileNameList& models_;
  EntryClock& clock_;
  SolveSettings settings_;
  std::vector<State> states_;
  std::map<std::string, Worker> workers_;
  std::deque<EntryEnd> ended_;
  /// The list until it is written: each model's size and task text.
  std::vector<std::pair<std::uintmax_t, std::string>> listed_;
  bool published_ = false;
  std::size_t open_ = 0;
  std::size_t untaken_ = 0;
  std::chrono::steady_clock::time_point last_beat_;
  unsigned long beats_ = 0;
  bool beating_ = false;
};

}  // namespace vardelmo
