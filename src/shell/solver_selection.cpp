#include "shell/solver_selection.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "shell/console.h"
#include "shell/platform.h"
#include "shell/settings.h"

namespace vardelmo {

bool gurobi_library_present() {
  std::FILE* library = std::fopen(platform::gurobi_library_file, "r");
  if (library == nullptr) return false;
  std::fclose(library);
  // Linux opens a folder as an input stream; it is still no library.
  std::error_code error;
  return !std::filesystem::is_directory(platform::gurobi_library_file, error);
}

void select_solver() {
  std::string line;
  if (!ask("Digite o solver que deseja usar (GUROBI/SCIP)> ", line)) return;
  if (line == "GUROBI") {
    if (gurobi_library_present())
      shell_settings.solver = "GUROBI";
    else
      print("Bilioteca 'gurobi110.dll' não encontrada\n");
  } else if (line == "SCIP") {
    shell_settings.solver = "SCIP";
  } else {
    print("Opção inexistente, favor selecionar um solver dentre os disponibilizados.\n");
  }
}

}  // namespace vardelmo
