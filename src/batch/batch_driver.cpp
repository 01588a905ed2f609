#include "batch/batch_driver.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "base/console.h"
#include "base/platform.h"
#include "base/shell_settings.h"
#include "solvers/outcome.h"
#include "solvers/results_file.h"
#include "solvers/runners.h"

namespace vardelmo {

FileNameList model_files;

void optimize_lp_folder() {
  const SolverRunner& runner = find_runner(shell_settings.solver);
  if (!runner.library_fits()) return;
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
  for (std::size_t i = 0; i < model_files.size(); ++i) {
    print("----------------------------------------------------------------------\nMODELO " +
          std::to_string(i) + " \n");
    // Which model is running shows at once, also where the output is a pipe.
    flush_output();
    std::optional<std::string_view> row;
    if (runner.run(std::string(model_files[i])) && !result_rows.empty()) row = result_rows[0];
    results.finish(i, row);
    result_rows.clear();
  }
}

}  // namespace vardelmo
