// Models solved in the shell's own process, one after another.
#include "base/shell_settings.h"
#include "batch/executor.h"
#include "solvers/outcome.h"
#include "solvers/runners.h"

namespace vardelmo {
namespace {

class InProcess final : public Executor {
 public:
  std::size_t slots() const override { return 1; }
  bool live() const override { return true; }
  CtrlC ctrl_c() const override { return CtrlC::Solver; }

  // The solve happens here, so that it follows the header the driver printed.
  Start start(std::size_t entry, const ModelJob& job) override {
    ended_ = {entry, std::nullopt, solve_model(job), false};
    return Start::Running;
  }

  std::optional<EntryEnd> wait_for_any(const Interruption&, std::chrono::milliseconds) override {
    return std::move(ended_);
  }

 private:
  EntryEnd ended_;
};

bool always_ready() { return true; }

std::unique_ptr<Executor> open_in_process(const BatchPlan&) { return in_process_executor(); }

}  // namespace

const ExecutionMode kInProcess = {always_ready, open_in_process};

std::unique_ptr<Executor> in_process_executor() { return std::make_unique<InProcess>(); }

ModelResult solve_model(const ModelJob& job) {
  ModelResult result;
  if (find_runner(shell_settings.solver).run(job.model_path, job.solution_path) &&
      !result_rows.empty()) {
    result.row = std::string(result_rows[result_rows.size() - 1]);
    result.figures = result_figures.back();
  }
  result_rows.clear();
  result_figures.clear();
  return result;
}

}  // namespace vardelmo
