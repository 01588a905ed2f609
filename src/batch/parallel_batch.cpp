#include "batch/parallel_batch.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "base/console.h"
#include "base/platform.h"
#include "base/process.h"
#include "batch/worker_files.h"

namespace vardelmo {
namespace {

using Clock = std::chrono::steady_clock;

struct Running {
  std::size_t entry = 0;
  Clock::time_point started;
};

std::filesystem::path temporary_folder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  return error ? std::filesystem::path() : folder;
}

class WorkerBatch {
 public:
  WorkerBatch(const FileNameList& models, std::size_t jobs, const EntryFinished& finished)
      : models_(models), finished_(finished), workers_(jobs), running_(jobs) {}

  bool usable() const { return folder_.usable(); }

  /// Starts entry `entry` in free slot `slot`; false, having said why, when
  /// it cannot.
  bool start(std::size_t slot, std::size_t entry) {
    const std::string model_path(models_[entry]);
    std::string reason;
    if (!folder_.write_task(entry, model_path, reason) ||
        !workers_[slot].start(folder_.file(entry, ".in"), folder_.file(entry, ".out"),
                              folder_.file(entry, ".err"), reason)) {
      print_error("Não foi possível iniciar um processo para o modelo " + model_path + ": " +
                  reason + "; ele é resolvido pelo próprio shell.\n");
      std::error_code ignored;
      std::filesystem::remove(platform::native_path(folder_.file(entry, ".in"), ignored), ignored);
      return false;
    }
    running_[slot] = {entry, Clock::now()};
    return true;
  }

  /// Waits for a worker to end and reports its model.
  void collect_one() {
    platform::WorkerEnd how = platform::WorkerEnd::Exited;
    const std::size_t slot = platform::WorkerProcess::wait_for_any(workers_, how);
    const std::size_t entry = running_[slot].entry;
    const double seconds =
        std::chrono::duration<double>(Clock::now() - running_[slot].started).count();
    const std::optional<std::string> row =
        folder_.report(entry, entry, std::string(models_[entry]),
                       how == platform::WorkerEnd::Interrupted, seconds);
    finished_(entry, row ? std::optional<std::string_view>(*row) : std::nullopt);
  }

  std::size_t free_slot() const {
    for (std::size_t slot = 0; slot < workers_.size(); ++slot)
      if (!workers_[slot].running()) return slot;
    return workers_.size();
  }

  bool any_running() const {
    return std::any_of(workers_.begin(), workers_.end(),
                       [](const platform::WorkerProcess& worker) { return worker.running(); });
  }

 private:
  const FileNameList& models_;
  const EntryFinished& finished_;
  TaskFolder folder_{temporary_folder()};
  std::vector<platform::WorkerProcess> workers_;
  std::vector<Running> running_;
};

}  // namespace

void solve_in_workers(const FileNameList& models, std::size_t jobs, const SolveHere& solve_here,
                      const EntryFinished& finished) {
  // Any number may be typed; slots beyond the batch's entries would be idle.
  jobs = std::max<std::size_t>(1, std::min(jobs, models.size()));
  WorkerBatch batch(models, jobs, finished);
  if (!batch.usable()) {
    print_error("Não foi possível criar uma pasta temporária para os processos; os modelos são "
                "resolvidos um a um pelo próprio shell.\n");
    for (std::size_t entry = 0; entry < models.size(); ++entry) solve_here(entry);
    return;
  }
  platform::WorkerInterrupts interrupts(jobs);
  std::size_t next = 0;
  while (next < models.size() || batch.any_running()) {
    for (std::size_t slot; next < models.size() && (slot = batch.free_slot()) < jobs; ++next) {
      if (!names_a_model(std::string(models[next]))) {
        print_model_header(next);
        finished(next, std::nullopt);
      } else if (!batch.start(slot, next)) {
        solve_here(next);
      }
    }
    if (!batch.any_running()) continue;
    flush_output();
    batch.collect_one();
  }
}

}  // namespace vardelmo
