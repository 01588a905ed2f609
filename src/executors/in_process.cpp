// Models solved in the shell's own process, one after another.
#include "executors/executor.h"
#include "solvers/runners.h"

namespace vardelmo {
namespace {

class InProcess final : public Executor {
 public:
  explicit InProcess(const SolveSettings& settings) : Executor(1, true), settings_(settings) {}

  // The solve happens here, so that it follows the header the batch printed.
  bool start(std::size_t entry, const ModelJob& job) override {
    ended_ = {entry, std::nullopt, solve_model(job, settings_), false};
    return true;
  }

  std::optional<EntryEnd> wait_for_any(std::chrono::milliseconds) override {
    return std::move(ended_);
  }

 private:
  SolveSettings settings_;
  EntryEnd ended_;
};

bool always_ready() { return true; }

std::unique_ptr<Executor> open_in_process(const BatchPlan& plan) {
  return in_process_executor(plan.settings.solve);
}

}  // namespace

const ExecutionMode kInProcess = {always_ready, open_in_process};

std::unique_ptr<Executor> in_process_executor(const SolveSettings& settings) {
  return std::make_unique<InProcess>(settings);
}

}  // namespace vardelmo
