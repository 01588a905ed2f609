#include "shell/solver_selection.h"

#include <string>

#include "base/console.h"
#include "base/platform.h"
#include "shell/settings.h"

namespace vardelmo {

bool gurobi_library_present() { return platform::find_gurobi_library().has_value(); }

void select_solver() {
  std::string line;
  if (!ask("Digite o solver que deseja usar (GUROBI/SCIP)> ", line,
           Completion{Completion::Kind::Words, {"GUROBI", "SCIP"}}))
    return;
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
