#include "shell/command_line.h"

#include <string>

#include "base/console.h"
#include "solvers/runners.h"

namespace vardelmo {
namespace {

constexpr const char* kUsage = "Uso: vardelmo [--version | --help]\n";

const char* const kHelp =
    "\n"
    "Vardelmo é um shell interativo para quem trabalha com modelos de otimização:\n"
    "resolve em lote os modelos .lp de uma pasta com o SCIP ou o Gurobi (comando\n"
    "opt) e converte modelos GNU MathProg (.mod) em arquivos .lp com o GLPK\n"
    "(comando mod_lp).\n"
    "\n"
    "Sem argumentos, abre o shell, que lê um comando por linha da entrada padrão;\n"
    "digite 'help' nele para ver os comandos.\n"
    "\n"
    "  --version  mostra as versões do Vardelmo, do SCIP e do Gurobi encontrado\n"
    "  --help     mostra este texto\n";

}  // namespace

std::optional<int> run_command_line(int argc, char** argv) {
  if (argc < 2) return std::nullopt;
  const std::string option = argv[1];
  if (argc == 2 && option == "--version") {
    print(std::string("Vardelmo ") + VARDELMO_VERSION + "\n" + solver_versions());
    return 0;
  }
  if (argc == 2 && option == "--help") {
    print(std::string(kUsage) + kHelp);
    return 0;
  }
  const bool known = option == "--version" || option == "--help";
  print_error("Argumento não reconhecido: " + std::string(known ? argv[2] : argv[1]) + "\n" +
              kUsage);
  return 2;
}

}  // namespace vardelmo
