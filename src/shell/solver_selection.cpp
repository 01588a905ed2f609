#include "shell/solver_selection.h"

#include <string>

#include "base/console.h"
#include "base/platform.h"
#include "shell/settings.h"
#include "solvers/runners.h"

namespace vardelmo {

bool gurobi_library_present() { return platform::find_gurobi_library().has_value(); }

const char* solver_help() {
  return solver_offered("HIGHS") ? "altera o solver padrão (SCIP), opções - SCIP/GUROBI/HIGHS"
                                 : "altera o solver padrão (SCIP), opções - SCIP/GUROBI";
}

void select_solver() {
  const bool highs = solver_offered("HIGHS");
  std::string line;
  if (!ask(highs ? "Digite o solver que deseja usar (GUROBI/SCIP/HIGHS)> "
                 : "Digite o solver que deseja usar (GUROBI/SCIP)> ",
           line,
           Completion{Completion::Kind::Words,
                      highs ? std::vector<std::string>{"GUROBI", "SCIP", "HIGHS"}
                            : std::vector<std::string>{"GUROBI", "SCIP"}}))
    return;
  if (line == "GUROBI") {
    if (gurobi_library_present())
      shell_settings.solver = "GUROBI";
    else
      print("Bilioteca 'gurobi110.dll' não encontrada\n");
  } else if (line == "SCIP") {
    shell_settings.solver = "SCIP";
  } else if (line == "HIGHS" && highs) {
    // Ships with the program: no library file to look for.
    shell_settings.solver = "HIGHS";
  } else {
    print("Opção inexistente, favor selecionar um solver dentre os disponibilizados.\n");
  }
}

}  // namespace vardelmo
