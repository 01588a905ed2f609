#include "batch/batch_driver.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "batch/outcome.h"
#include "shell/console.h"
#include "shell/platform.h"
#include "shell/settings.h"
#include "solvers/gurobi_client.h"
#include "solvers/gurobi_runner.h"
#include "solvers/scip_runner.h"

namespace vardelmo {

FileNameList model_files;

namespace {

bool run_model(const std::string& path) {
  if (shell_settings.solver == "SCIP") return run_scip_model(path);
  if (shell_settings.solver != "GUROBI") return false;
  try {
    return run_gurobi_model(path);
  } catch (const GRBException& error) {
    // The model has no row; the rest of the batch still runs.
    print_error("Erro do Gurobi (código " + std::to_string(error.getErrorCode()) +
                "): " + error.getMessage() + "\n");
    return false;
  }
}

// The Gurobi library is loaded for the first Gurobi batch; one that cannot be
// loaded stops the batch before its first model.
bool gurobi_library_loads() {
  try {
    load_gurobi_library();
    return true;
  } catch (const GurobiLibraryError& error) {
    print_error("Não foi possível carregar a biblioteca do Gurobi " + error.path() + ": " +
                error.reason() + "\n");
    return false;
  }
}

}  // namespace

void optimize_lp_folder() {
  if (shell_settings.solver == "SCIP") {
    const std::string mismatch = scip_library_mismatch();
    if (!mismatch.empty()) {
      print_error(mismatch);
      return;
    }
  }
  std::string model_folder;
  if (!ask("Digite o caminho da pasta de arquivos .lp> ", model_folder)) return;
  if (!is_existing_folder(model_folder)) {
    print("Pasta de .lps inexistente ou inválida...\n");
    return;
  }

  // An earlier batch may have written its results here; it is no model.
  const std::string stale = model_folder + platform::path_separator + "sol_stat.csv";
  std::error_code error;
  const std::filesystem::path native = platform::native_path(stale, error);
  if (!error) std::filesystem::remove(native, error);
  if (error) {
    print_error("Não foi possível remover " + stale + ": " + error.message() + "\n");
    return;
  }
  model_files = list_folder(model_folder);

  std::string output_folder;
  if (!ask("Digite o caminho da pasta para gerar o output> ", output_folder)) return;
  if (!is_existing_folder(output_folder)) {
    print("Pasta de output inexistente ou inválida...\n");
    return;
  }
  if (shell_settings.solver == "GUROBI" && !gurobi_library_loads()) return;

  for (std::size_t i = 0; i < model_files.size(); ++i) {
    print("----------------------------------------------------------------------\nMODELO " +
          std::to_string(i) + " \n");
    // Which model is running shows at once, also where the output is a pipe.
    flush_output();
    if (run_model(std::string(model_files[i]))) write_results_file(output_folder);
  }
  result_rows.clear();
}

}  // namespace vardelmo
