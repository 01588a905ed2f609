#include "batch/batch_driver.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "base/console.h"
#include "base/platform.h"
#include "base/process.h"
#include "base/shell_settings.h"
#include "batch/executor.h"
#include "solvers/outcome.h"
#include "solvers/results_file.h"
#include "solvers/runners.h"

namespace vardelmo {

FileNameList model_files;

namespace {

void print_model_header(std::size_t entry) {
  print("----------------------------------------------------------------------\nMODELO " +
        std::to_string(entry) + " \n");
}

/// The lines a dead worker's report had begun are said again, whole.
void drop_begun_report(std::string& output) {
  const std::size_t at = output.compare(0, 6, "NOME: ") == 0 ? 0 : output.rfind("\nNOME: ");
  if (at != std::string::npos) output.erase(at == 0 ? 0 : at + 1);
}

/// Ctrl+C, for one batch, where its executor wants it.
class CtrlCRouting final : public Interruption {
 public:
  CtrlCRouting(CtrlC how, std::size_t workers) {
    if (how == CtrlC::Workers) to_workers_.emplace(workers);
    if (how == CtrlC::Noted) noted_.emplace();
  }
  bool raised() const override { return noted_ && noted_->raised(); }

 private:
  std::optional<platform::WorkerInterrupts> to_workers_;
  std::optional<platform::InterruptFlag> noted_;
};

/// The rest of an entry's block, and its row into the results file. A model
/// whose process ended before it did gets the row of a stopped solve when
/// Ctrl+C ended it, else of a failed one, timed until it ended.
void finish_entry(EntryEnd end, const EntryClock& clock, ResultsFile& results) {
  std::optional<std::string> row;
  if (end.captured) {
    print_model_header(end.entry);
    if (!end.result) drop_begun_report(end.captured->output);
    print(end.captured->output);
  }
  if (end.result) {
    row = std::move(end.result->row);
  } else {
    OutcomeReport lost(std::string(model_files[end.entry]));
    lost.time(clock.seconds(end.entry));
    if (end.interrupted)
      lost.status(Outcome::UserInterrupt, false);
    else
      lost.status(Outcome::SolverError, true);
    lost.no_objective();
    lost.finish();
    row = std::string(result_rows[result_rows.size() - 1]);
    result_rows.clear();
  }
  if (end.captured) {
    flush_output();
    print_error(end.captured->errors);
  }
  results.finish(end.entry, row ? std::optional<std::string_view>(*row) : std::nullopt);
}

/// The one loop of every batch: each entry in turn is started as the
/// executor has room, and each model's block is shown as it ends.
void run_entries(Executor& executor, const EntryClock& clock, ResultsFile& results) {
  const CtrlCRouting ctrl_c(executor.ctrl_c(), executor.slots());
  std::size_t next = 0;
  std::size_t running = 0;
  while (next < model_files.size() || running > 0) {
    for (; next < model_files.size() && running < executor.slots(); ++next) {
      const std::string path(model_files[next]);
      if (!names_a_model(path)) {
        print_model_header(next);
        results.finish(next, std::nullopt);
        continue;
      }
      if (executor.live()) {
        print_model_header(next);
        // Which model is running shows at once, also where the output is a pipe.
        flush_output();
      }
      switch (executor.start(next, path)) {
        case Executor::Start::Running:
          ++running;
          break;
        case Executor::Start::Declined:
          print_model_header(next);
          flush_output();
          finish_entry({next, std::nullopt, solve_model(path), false}, clock, results);
          break;
        case Executor::Start::Failed:
          return;
      }
    }
    if (running == 0) continue;
    if (!executor.dispatch()) return;
    if (!executor.live()) flush_output();
    finish_entry(executor.wait_for_any(ctrl_c), clock, results);
    --running;
  }
}

const ExecutionMode& chosen_mode() {
  if (shell_settings.cluster == "s") return kSlurmArray;
  if (shell_settings.jobs > 1) return kLocalWorkers;
  return kInProcess;
}

}  // namespace

double EntryClock::seconds(std::size_t entry) const {
  if (!began_[entry]) return 0;
  return std::chrono::duration<double>(Clock::now() - *began_[entry]).count();
}

void optimize_lp_folder() {
  const SolverRunner& runner = find_runner(shell_settings.solver);
  if (!runner.library_fits()) return;
  const ExecutionMode& mode = chosen_mode();
  if (!mode.ready()) return;
  const std::optional<std::string> model_folder = ask_for_folder(
      "Digite o caminho da pasta de arquivos .lp> ", "Pasta de .lps inexistente ou inválida...\n");
  if (!model_folder) return;

  // An earlier batch may have written its results here; it is no model.
  const std::string stale = results_file_path(*model_folder);
  std::error_code error;
  const std::filesystem::path native = platform::native_path(stale, error);
  if (!error) std::filesystem::remove(native, error);
  if (error) {
    print_error("Não foi possível remover " + stale + ": " + error.message() + "\n");
    return;
  }
  model_files = list_folder(*model_folder);

  const std::optional<std::string> output_folder =
      ask_for_folder("Digite o caminho da pasta para gerar o output> ",
                     "Pasta de output inexistente ou inválida...\n");
  if (!output_folder || !runner.prepare()) return;

  ResultsFile results(*output_folder, model_files.size());
  EntryClock clock(model_files.size());
  const std::unique_ptr<Executor> executor =
      mode.open({model_files, *output_folder, shell_settings.jobs, clock});
  if (executor) run_entries(*executor, clock, results);
}

}  // namespace vardelmo
