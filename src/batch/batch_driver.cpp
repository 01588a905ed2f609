#include "batch/batch_driver.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "base/console.h"
#include "base/platform.h"
#include "batch/batch_record_file.h"
#include "batch/batch_records.h"
#include "batch/known_optima.h"
#include "batch/output_folder_lock.h"
#include "batch/progress_line.h"
#include "executors/executor.h"
#include "results/earlier_results.h"
#include "results/rows.h"
#include "solvers/runners.h"

namespace vardelmo {

FileNameList model_files;

namespace {

/// The one loop of every batch: each entry in turn is started as the
/// executor has room, and each model's block is shown as it ends. A person
/// at a terminal sees how far it is whenever it waits: between a block and
/// the next header where runs print as they go, else while models run.
void run_entries(Executor& executor, BatchRecords& records) {
  const EntryClock::Clock::time_point began = EntryClock::Clock::now();
  std::size_t models = 0;
  for (std::string_view path : model_files) models += names_a_model(std::string(path)) ? 1 : 0;
  const bool live = executor.live();
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
      if (live) {
        print_model_header(next);
        // Which model is running shows at once, also where the output is a pipe.
        flush_output();
      }
      progress.started();
      if (!executor.start(next, records.job(path))) return;
      ++running;
    }
    if (running == 0) continue;
    if (!executor.dispatch()) return;
    if (!live) flush_output();
    std::optional<EntryEnd> end;
    while (!end) {
      if (!live) progress.show(executor.queued());
      // The line is redrawn each second while models run.
      end = executor.wait_for_any(std::chrono::seconds(1));
    }
    records.finish(std::move(*end));
    progress.ended();
    --running;
    if (live) progress.show(0);
  }
  records.settle();
  records.print_summary(
      models, std::chrono::duration<double>(EntryClock::Clock::now() - began).count());
}

// The name of the settings file that an earlier batch's record in `folder`
// says it copied there; empty when there is none.
std::string earlier_settings_copy(const std::string& folder) {
  const std::optional<std::string> record =
      read_whole_file(join_path(folder, kBatchRecordName), true);
  if (!record) return {};
  const std::string tag = "\nARQUIVO_PARAMETROS: ";
  const std::size_t at = record->find(tag);
  if (at == std::string::npos) return {};
  const std::size_t begin = at + tag.size();
  std::string path = record->substr(begin, record->find_first_of("\r\n", begin) - begin);
  return path.empty() ? path : split_path(path).back();
}

// Results files, the record and the settings file copied beside it are no
// models; nor is a batch's mark. The copy is known by the record's name for
// it, so that a settings file of the user's own that only shares a fixed name
// is never taken.
FileNameList without_results_files(const FileNameList& entries, const std::string& copy) {
  FileNameList kept;
  for (std::string_view entry : entries) {
    const std::string name = split_path(std::string(entry)).back();
    if (is_output_folder_mark(name)) continue;
    if (!is_results_file_name(name) && name != kBatchRecordName && (copy.empty() || name != copy))
      kept.push_back(entry);
  }
  return kept;
}

const ExecutionMode& chosen_mode(const BatchSettings& settings) {
  if (settings.cluster) return kSlurmArray;
  if (settings.jobs > 1) return kLocalWorkers;
  return kInProcess;
}

}  // namespace

void optimize_lp_folder(const BatchSettings& settings) {
  const SolverRunner& runner = find_runner(settings.solve.solver);
  if (!runner.library_fits()) return;
  // The file may have changed, or gone, since it was given.
  const std::string& param_file = settings.solve.param_file;
  if (!param_file.empty() && !runner.settings_file_reads(param_file)) {
    print_error("O arquivo de parâmetros " + param_file +
                " não pôde ser lido; nenhum modelo foi resolvido.\n");
    return;
  }
  const ExecutionMode& mode = chosen_mode(settings);
  if (!mode.ready()) return;
  const std::optional<std::string> model_folder = ask_for_folder(
      "Digite o caminho da pasta de arquivos .lp> ", "Pasta de .lps inexistente ou inválida...\n");
  if (!model_folder) return;

  // An earlier batch may have written its results here; they are no models.
  // A batch that resumes may be the one to read them: it leaves them where
  // they are and out of its listing, whose numbers stay those they had.
  // Those of a batch that still writes there are not stale.
  const bool resume = settings.resume;
  const bool keep = resume || OutputFolderLock::holder_of(*model_folder);
  const std::string settings_copy = earlier_settings_copy(*model_folder);
  for (const std::string& stale :
       {results_file_path(*model_folder), details_file_path(*model_folder),
        join_path(*model_folder, kBatchRecordName)}) {
    std::error_code error;
    const std::filesystem::path native = platform::native_path(stale, error);
    if (!error && !keep) std::filesystem::remove(native, error);
    if (error) {
      print_error("Não foi possível remover " + stale + ": " + error.message() + "\n");
      return;
    }
  }
  model_files = without_results_files(list_folder(*model_folder), settings_copy);

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
  if (settings.save_sol) {
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
  if (resume && !earlier.read(*output_folder, settings.solve.solver, solver_names(), unreadable)) {
    print_error("O arquivo " + unreadable +
                " não está na forma em que o Vardelmo o grava; para não sobrescrevê-lo, "
                "nenhum modelo foi resolvido.\n");
    return;
  }
  KnownOptima optima;
  optima.read(model_files);
  BatchRecords records(*output_folder, settings.solve.solver, model_files, std::move(optima),
                       std::move(solution_folder), std::move(earlier));
  const std::unique_ptr<Executor> executor =
      mode.open({model_files, *output_folder, settings, records.clock});
  if (!executor) return;
  std::size_t models = 0;
  for (std::string_view path : model_files) models += names_a_model(std::string(path)) ? 1 : 0;
  BatchRecordFile record(*output_folder, settings, runner.library_version(), models);
  run_entries(*executor, records);
  records.settle();
  record.finish();
}

}  // namespace vardelmo
