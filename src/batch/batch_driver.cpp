#include "batch/batch_driver.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "base/console.h"
#include "base/platform.h"
#include "base/process.h"
#include "base/shell_settings.h"
#include "batch/earlier_results.h"
#include "batch/executor.h"
#include "batch/known_optima.h"
#include "batch/output_folder_lock.h"
#include "batch/progress_line.h"
#include "batch/reported_results.h"
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

const char* verdict_word(Verdict verdict) {
  switch (verdict) {
    case Verdict::Agrees: return "SIM";
    case Verdict::Better: return "MELHOR";
    case Verdict::Contradicts: return "NAO";
    case Verdict::None: break;
  }
  return "";
}

/// What a batch keeps of its models besides their runs: both results files,
/// the references, where solutions go, and the figures of its summary.
class BatchRecords {
 public:
  BatchRecords(const std::string& output_folder, std::size_t entries, KnownOptima optima,
               std::string solution_folder, EarlierResults earlier)
      : clock(entries),
        results_(results_file_path(output_folder), kResultsHeader, entries),
        details_(details_file_path(output_folder), kDetailsHeader, entries),
        optima_(std::move(optima)),
        solution_folder_(std::move(solution_folder)),
        earlier_(std::move(earlier)) {}

  EntryClock clock;

  /// A model an earlier batch brought to an end keeps its rows and is not
  /// solved again: its block says so. False for any other.
  bool keep_earlier(std::size_t entry, const std::string& model_path) {
    // Most batches resume nothing: no name to cut per model then.
    if (earlier_.empty()) return false;
    const std::string name = split_path(model_path).back();
    const EarlierRows* rows = earlier_.find(name);
    if (rows == nullptr) return false;
    print_model_header(entry);
    print("NOME: " + name + "\nRETOMADO: resultado anterior mantido\n");
    results_.finish(entry, rows->row);
    details_.finish(entry, rows->detail);
    OutcomeFigures figures;
    figures.outcome = rows->outcome;
    figures.seconds = rows->seconds;
    tally(figures, rows->contradicts, rows->contradicts ? Verdict::Contradicts : Verdict::None);
    return true;
  }

  ModelJob job(const std::string& model_path) const {
    ModelJob job{model_path, ""};
    if (solution_folder_.empty()) return job;
    job.solution_path = join_path(solution_folder_, model_name(model_path) + ".sol");
    return job;
  }

  void no_model(std::size_t entry) {
    results_.finish(entry, std::nullopt);
    details_.finish(entry, std::nullopt);
  }

  /// The rest of an entry's block and its rows. A model whose process ended
  /// before it did gets the row of a stopped solve when Ctrl+C ended it,
  /// else of a failed one, timed until it ended.
  void finish(EntryEnd end) {
    const std::string model_path(model_files[end.entry]);
    if (end.captured) {
      print_model_header(end.entry);
      if (!end.result) drop_begun_report(end.captured->output);
      print(end.captured->output);
    }
    const bool lost = !end.result;
    if (lost) end.result = lost_result(end, model_path);
    std::optional<std::string> detail;
    if (const std::optional<std::string>& row = end.result->row) {
      const Reference* reference = lost ? nullptr : optima_.find(model_path);
      const Verdict verdict = reference ? check(*reference, end.result->figures) : Verdict::None;
      print_verdict(verdict, reference);
      detail = *row + details_fields(end.result->figures, lost, reference, verdict);
      tally(end.result->figures, reference != nullptr, verdict);
    }
    if (end.captured) {
      flush_output();
      print_error(end.captured->errors);
    }
    const std::optional<std::string>& row = end.result->row;
    results_.finish(end.entry, row ? std::optional<std::string_view>(*row) : std::nullopt);
    details_.finish(end.entry, detail ? std::optional<std::string_view>(*detail) : std::nullopt);
  }

  /// Both results files where they can be, when not where the user asked.
  void settle() {
    results_.settle();
    details_.settle();
  }

  /// One line on how the batch went, for a person at a terminal; scripts
  /// that read the output get none.
  void print_summary(std::size_t models, double seconds) const {
    if (models == 0 || !platform::output_is_terminal()) return;
    std::string line = "Resumo: " + std::to_string(models) + (models == 1 ? " modelo" : " modelos");
    for (std::size_t i = 0; i < outcomes_.size(); ++i)
      if (outcomes_[i] != 0)
        line += "; " + std::string(outcome_word(static_cast<Outcome>(i))) + ": " +
                std::to_string(outcomes_[i]);
    if (referenced_) line += "; CONFERE NAO: " + std::to_string(contradictions_);
    line += "; tempo total: " + console_number(seconds) + " s";
    // As SCIP's check scripts: the shift keeps the many tiny times from ruling the mean.
    const double mean = rows_ == 0 ? 0 : std::exp(log_shifted_sum_ / rows_) - 1;
    line += "; média geométrica (deslocamento 1 s): " + console_number(mean) + " s";
    for (const auto* file : {&results_, &details_})
      if (file->elsewhere())
        line += "; " + file->name() + " fora da pasta de output: " + *file->elsewhere();
    print(line + "\n");
  }

 private:
  ModelResult lost_result(const EntryEnd& end, const std::string& model_path) const {
    ModelResult lost;
    lost.figures.outcome = end.interrupted ? Outcome::UserInterrupt : Outcome::SolverError;
    lost.figures.seconds = clock.seconds(end.entry);
    OutcomeReport report(model_path);
    report.time(lost.figures.seconds);
    report.status(lost.figures.outcome, !end.interrupted);
    report.no_objective();
    report.finish();
    lost.row = std::string(result_rows[result_rows.size() - 1]);
    result_rows.clear();
    result_figures.clear();
    return lost;
  }

  static void print_verdict(Verdict verdict, const Reference* reference) {
    if (verdict == Verdict::None) return;
    std::string line = std::string("CONFERE: ") + verdict_word(verdict);
    if (verdict != Verdict::Agrees)
      line += " (referência " +
              (reference->kind == Reference::Kind::Infeasible ? std::string("infactível")
                                                              : console_number(reference->value)) +
              ")";
    print(line + "\n");
  }

  static std::string details_fields(const OutcomeFigures& figures, bool lost,
                                    const Reference* reference, Verdict verdict) {
    if (lost) return ";;;;;";
    auto number = [](const std::optional<double>& value) {
      return (value ? number_text(*value) : std::string()) + ";";
    };
    std::string fields = number(figures.search.dual_bound) + number(figures.search.gap_percent) +
                         number(figures.search.nodes);
    if (reference && reference->kind == Reference::Kind::Infeasible)
      fields += "INFACTIVEL";
    else if (reference && reference->kind != Reference::Kind::Unknown)
      fields += number_text(reference->value);
    return fields + ";" + verdict_word(verdict) + ";";
  }

  void tally(const OutcomeFigures& figures, bool referenced, Verdict verdict) {
    ++outcomes_[static_cast<std::size_t>(figures.outcome)];
    ++rows_;
    log_shifted_sum_ += std::log(std::max(figures.seconds, 0.0) + 1);
    referenced_ = referenced_ || referenced;
    if (verdict == Verdict::Contradicts) ++contradictions_;
  }

  ReportedResultsFile results_;
  ReportedResultsFile details_;
  KnownOptima optima_;
  std::string solution_folder_;
  EarlierResults earlier_;
  std::array<std::size_t, static_cast<std::size_t>(Outcome::SolverError) + 1> outcomes_{};
  std::size_t rows_ = 0;
  double log_shifted_sum_ = 0;
  bool referenced_ = false;
  std::size_t contradictions_ = 0;
};

/// The one loop of every batch: each entry in turn is started as the
/// executor has room, and each model's block is shown as it ends. A person
/// at a terminal sees how far it is whenever it waits: between a block and
/// the next header where runs print as they go, else while models run.
void run_entries(Executor& executor, BatchRecords& records) {
  const EntryClock::Clock::time_point began = EntryClock::Clock::now();
  const CtrlCRouting ctrl_c(executor.ctrl_c(), executor.local_workers());
  std::size_t models = 0;
  for (std::string_view path : model_files) models += names_a_model(std::string(path)) ? 1 : 0;
  ProgressLine progress(models);
  std::size_t next = 0;
  std::size_t running = 0;
  while (next < model_files.size() || running > 0) {
    for (; next < model_files.size() && running < executor.slots(); ++next) {
      const std::string path(model_files[next]);
      if (!names_a_model(path)) {
        print_model_header(next);
        records.no_model(next);
        continue;
      }
      if (records.keep_earlier(next, path)) {
        progress.kept();
        continue;
      }
      if (executor.live()) {
        print_model_header(next);
        // Which model is running shows at once, also where the output is a pipe.
        flush_output();
      }
      progress.started();
      switch (executor.start(next, records.job(path))) {
        case Executor::Start::Running:
          ++running;
          break;
        case Executor::Start::Failed:
          return;
      }
    }
    if (running == 0) continue;
    if (!executor.dispatch()) return;
    if (!executor.live()) flush_output();
    std::optional<EntryEnd> end;
    while (!end) {
      if (!executor.live()) progress.show(executor.queued());
      // The line is redrawn each second while models run.
      end = executor.wait_for_any(ctrl_c, std::chrono::seconds(1));
    }
    records.finish(std::move(*end));
    progress.ended();
    --running;
    if (executor.live()) progress.show(0);
  }
  records.settle();
  records.print_summary(
      models, std::chrono::duration<double>(EntryClock::Clock::now() - began).count());
}

/// The listing without a batch's mark and, with `kept_results` (else they are
/// removed beforehand), without the results files.
FileNameList without_results_files(const FileNameList& entries, bool kept_results) {
  FileNameList kept;
  for (std::string_view entry : entries) {
    const std::string name = split_path(std::string(entry)).back();
    if (is_output_folder_mark(name)) continue;
    if (!kept_results || (name != "sol_stat.csv" && name != "sol_detalhes.csv"))
      kept.push_back(entry);
  }
  return kept;
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

  // An earlier batch may have written its results here; they are no models.
  // A batch that resumes may be the one to read them: it leaves them where
  // they are and out of its listing, whose numbers stay those they had.
  // Those of a batch that still writes there are not stale.
  const bool resume = shell_settings.resume == "s";
  const bool keep = resume || OutputFolderLock::holder_of(*model_folder);
  for (const std::string& stale :
       {results_file_path(*model_folder), details_file_path(*model_folder)}) {
    std::error_code error;
    const std::filesystem::path native = platform::native_path(stale, error);
    if (!error && !keep) std::filesystem::remove(native, error);
    if (error) {
      print_error("Não foi possível remover " + stale + ": " + error.message() + "\n");
      return;
    }
  }
  model_files = without_results_files(list_folder(*model_folder), keep);

  const std::optional<std::string> output_folder =
      ask_for_folder("Digite o caminho da pasta para gerar o output> ",
                     "Pasta de output inexistente ou inválida...\n");
  if (!output_folder) return;
  const OutputFolderLock lock(*output_folder);
  if (lock.holder()) {
    print_error("A pasta " + *output_folder + " está em uso pelo lote do processo " +
                *lock.holder() + "; nenhum modelo foi resolvido.\n");
    return;
  }
  if (!runner.prepare()) return;

  std::string solution_folder;
  if (shell_settings.save_sol == "s") {
    solution_folder = join_path(*output_folder, "solucoes");
    std::error_code error;
    const std::filesystem::path native = platform::native_path(solution_folder, error);
    if (!error) std::filesystem::create_directory(native, error);
    if (error) {
      print_error("Não foi possível criar a pasta " + solution_folder + ": " + error.message() +
                  "; nenhum modelo foi resolvido.\n");
      return;
    }
  }
  EarlierResults earlier;
  std::string unreadable;
  if (resume && !earlier.read(*output_folder, shell_settings.solver, unreadable)) {
    print_error("O arquivo " + unreadable +
                " não está na forma em que o Vardelmo o grava; para não sobrescrevê-lo, "
                "nenhum modelo foi resolvido.\n");
    return;
  }
  KnownOptima optima;
  optima.read(model_files);
  BatchRecords records(*output_folder, model_files.size(), std::move(optima),
                       std::move(solution_folder), std::move(earlier));
  const std::unique_ptr<Executor> executor =
      mode.open({model_files, *output_folder, shell_settings.jobs, records.clock});
  if (executor) run_entries(*executor, records);
  records.settle();
}

}  // namespace vardelmo
