// Models solved by up to `jobs` worker processes on this machine, each
// taking the next model from the batch's queue until none is left: a worker
// loads the solver's library once, not once a model.
#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

#include "base/console.h"
#include "base/platform.h"
#include "base/own_folder.h"
#include "base/process.h"
#include "executors/executor.h"
#include "worker/task_queue.h"

namespace vardelmo {
namespace {

// The shell reads the workers' logs this often while it waits: a model
// ends, at the soonest, a few milliseconds after another.
constexpr std::chrono::milliseconds kLogRead{20};

class LocalWorkers final : public Executor {
 public:
  // The whole batch goes into the queue at once; at most `workers` take
  // from it.
  LocalWorkers(std::size_t workers, const BatchPlan& plan)
      : Executor(std::numeric_limits<std::size_t>::max(), false),
        queue_(temporary_folder(), true, false, plan.models, plan.clock, plan.settings.solve),
        workers_(workers),
        names_(workers),
        ctrl_c_(workers) {}

  bool usable() const { return queue_.usable(); }

  bool start(std::size_t entry, const ModelJob& job) override {
    queue_.add(entry, job);
    return true;
  }

  bool dispatch() override {
    if (started_) return true;
    started_ = true;
    std::string why;
    if (!queue_.publish(why)) {
      print_error("Não foi possível preparar as tarefas dos processos: " + why +
                  "; nenhum modelo foi resolvido.\n");
      return false;
    }
    replace_workers();
    if (running() > 0) return true;
    print_error("Nenhum processo de trabalho pôde começar; nenhum modelo foi resolvido.\n");
    return false;
  }

  std::optional<EntryEnd> wait_for_any(std::chrono::milliseconds at_most) override {
    const auto until = std::chrono::steady_clock::now() + at_most;
    for (;;) {
      if (std::optional<EntryEnd> ended = queue_.next_ended()) return ended;
      queue_.beat();
      for (std::size_t slot = 0; slot < workers_.size(); ++slot)
        if (workers_[slot].running()) queue_.read_log(names_[slot]);
      if (std::optional<EntryEnd> ended = queue_.next_ended()) return ended;
      if (running() == 0) {
        if (queue_.open() == 0) return std::nullopt;
        // Workers that keep ending without a word are started no more.
        print_error("Os processos de trabalho terminaram sem resolver os modelos restantes.\n");
        queue_.end_all(false);
        continue;
      }
      const auto now = std::chrono::steady_clock::now();
      if (now >= until) return std::nullopt;
      platform::WorkerEnd how = platform::WorkerEnd::Exited;
      const auto wait = std::min(kLogRead, std::chrono::duration_cast<std::chrono::milliseconds>(
                                               until - now));
      if (const std::optional<std::size_t> slot =
              platform::WorkerProcess::wait_for_any(workers_, how, wait)) {
        queue_.worker_ended(names_[*slot], how == platform::WorkerEnd::Interrupted, "");
        silent_ends_ = queue_.heard_from(names_[*slot]) ? 0 : silent_ends_ + 1;
        if (silent_ends_ <= workers_.size()) replace_workers();
      }
    }
  }

  std::size_t queued() const override { return queue_.untaken(); }

 private:
  std::size_t running() const {
    return static_cast<std::size_t>(
        std::count_if(workers_.begin(), workers_.end(), [](auto& w) { return w.running(); }));
  }

  /// A worker in each free slot while models wait for one.
  void replace_workers() {
    for (std::size_t slot = 0; slot < workers_.size(); ++slot) {
      if (workers_[slot].running() || running() >= queue_.untaken()) continue;
      const std::string name = "L" + std::to_string(++started_workers_);
      std::string why;
      if (!queue_.write_order(name, why) ||
          !workers_[slot].start(queue_.file_of(name, ".in"), queue_.file_of(name, ".out"),
                                queue_.file_of(name, ".err"), why)) {
        print_error("Não foi possível iniciar um processo de trabalho: " + why + "\n");
        continue;
      }
      names_[slot] = name;
    }
  }

  TaskQueue queue_;
  std::vector<platform::WorkerProcess> workers_;
  std::vector<std::string> names_;
  // Ctrl+C reaches the workers' solvers, which stop their models as in the
  // shell's own process; the batch goes on.
  platform::WorkerInterrupts ctrl_c_;
  std::size_t started_workers_ = 0;
  std::size_t silent_ends_ = 0;
  bool started_ = false;
};

bool always_ready() { return true; }

std::unique_ptr<Executor> open_local_workers(const BatchPlan& plan) {
  // Those of killed shells would pile up for good.
  remove_abandoned_folders(temporary_folder());
  // Any number may be typed; workers beyond the batch's entries would be idle.
  const std::size_t slots = std::max<std::size_t>(1, std::min(plan.settings.jobs, plan.models.size()));
  auto workers = std::make_unique<LocalWorkers>(slots, plan);
  if (workers->usable()) return workers;
  print_error("Não foi possível criar uma pasta temporária para os processos; os modelos são "
              "resolvidos um a um pelo próprio shell.\n");
  return in_process_executor(plan.settings.solve);
}

}  // namespace

const ExecutionMode kLocalWorkers = {always_ready, open_local_workers};

}  // namespace vardelmo
