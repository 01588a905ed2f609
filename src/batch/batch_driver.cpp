#include "batch/batch_driver.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "base/console.h"
#include "base/platform.h"
#include "base/shell_settings.h"
#include "batch/cluster_batch.h"
#include "batch/parallel_batch.h"
#include "solvers/outcome.h"
#include "solvers/results_file.h"
#include "solvers/runners.h"

namespace vardelmo {

FileNameList model_files;

void optimize_lp_folder() {
  const SolverRunner& runner = find_runner(shell_settings.solver);
  if (!runner.library_fits()) return;
  const bool on_cluster = shell_settings.cluster == "s";
  if (on_cluster && !slurm_ready()) return;
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
  const EntryFinished finished = [&results](std::size_t entry,
                                            std::optional<std::string_view> row) {
    results.finish(entry, row);
  };
  const SolveHere solve_here = [&](std::size_t entry) {
    print_model_header(entry);
    // Which model is running shows at once, also where the output is a pipe.
    flush_output();
    std::optional<std::string_view> row;
    if (runner.run(std::string(model_files[entry])) && !result_rows.empty()) row = result_rows[0];
    results.finish(entry, row);
    result_rows.clear();
  };
  if (on_cluster) {
    solve_on_cluster(model_files, *output_folder, shell_settings.jobs, finished);
  } else if (shell_settings.jobs > 1) {
    solve_in_workers(model_files, shell_settings.jobs, solve_here, finished);
  } else {
    for (std::size_t i = 0; i < model_files.size(); ++i) solve_here(i);
  }
}

}  // namespace vardelmo
