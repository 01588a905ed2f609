// Models solved in worker processes on this machine, up to `jobs` at once.
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/console.h"
#include "base/platform.h"
#include "base/process.h"
#include "batch/executor.h"
#include "batch/worker_files.h"

namespace vardelmo {
namespace {

std::filesystem::path temporary_folder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  return error ? std::filesystem::path() : folder;
}

class LocalWorkers final : public Executor {
 public:
  LocalWorkers(std::size_t slots, EntryClock& clock)
      : clock_(clock), workers_(slots), entries_(slots) {}

  bool usable() const { return folder_.usable(); }
  std::size_t slots() const override { return workers_.size(); }
  CtrlC ctrl_c() const override { return CtrlC::Workers; }

  Start start(std::size_t entry, const ModelJob& job) override {
    const std::size_t slot = free_slot();
    std::string reason;
    if (!folder_.write_task(entry, job, reason) ||
        !workers_[slot].start(folder_.file(entry, ".in"), folder_.file(entry, ".out"),
                              folder_.file(entry, ".err"), reason)) {
      print_error("Não foi possível iniciar um processo para o modelo " + job.model_path + ": " +
                  reason + "; ele é resolvido pelo próprio shell.\n");
      std::error_code ignored;
      std::filesystem::remove(platform::native_path(folder_.file(entry, ".in"), ignored), ignored);
      return Start::Declined;
    }
    entries_[slot] = entry;
    clock_.began(entry);
    return Start::Running;
  }

  std::optional<EntryEnd> wait_for_any(const Interruption&,
                                       std::chrono::milliseconds at_most) override {
    platform::WorkerEnd how = platform::WorkerEnd::Exited;
    const std::optional<std::size_t> slot =
        platform::WorkerProcess::wait_for_any(workers_, how, at_most);
    if (!slot) return std::nullopt;
    const std::size_t entry = entries_[*slot];
    TaskFolder::Left left = folder_.collect(entry);
    return EntryEnd{entry, std::move(left.captured), std::move(left.result),
                    how == platform::WorkerEnd::Interrupted};
  }

 private:
  std::size_t free_slot() const {
    for (std::size_t slot = 0; slot < workers_.size(); ++slot)
      if (!workers_[slot].running()) return slot;
    return workers_.size();
  }

  EntryClock& clock_;
  TaskFolder folder_{temporary_folder(), true};
  std::vector<platform::WorkerProcess> workers_;
  std::vector<std::size_t> entries_;
};

bool always_ready() { return true; }

std::unique_ptr<Executor> open_local_workers(const BatchPlan& plan) {
  // Those of killed shells would pile up for good.
  remove_abandoned_task_folders(temporary_folder());
  // Any number may be typed; slots beyond the batch's entries would be idle.
  const std::size_t slots = std::max<std::size_t>(1, std::min(plan.jobs, plan.models.size()));
  auto workers = std::make_unique<LocalWorkers>(slots, plan.clock);
  if (workers->usable()) return workers;
  print_error("Não foi possível criar uma pasta temporária para os processos; os modelos são "
              "resolvidos um a um pelo próprio shell.\n");
  return in_process_executor();
}

}  // namespace

const ExecutionMode kLocalWorkers = {always_ready, open_local_workers};

}  // namespace vardelmo
