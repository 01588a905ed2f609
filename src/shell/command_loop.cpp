#include "shell/command_loop.h"

#include <string>

#include "base/console.h"
#include "convert/mod_conversion.h"
#include "shell/banner.h"
#include "shell/settings.h"
#include "shell/solver_selection.h"

namespace vardelmo {
namespace {

void print_exit_message() { print("Saindo do shell...\n"); }

struct Command {
  const char* name;
  void (*action)();
  bool ends_loop;
  /// Its line in `help`; null leaves it out. A line break continues the text
  /// under the first line's start.
  const char* help;
};

// A line is a command only when it equals a name byte for byte. `help` lists
// the commands in this order.
const Command kCommands[] = {
    {"opt", optimize_with_settings, false,
     "otimizar os modelos de uma pasta (arquivos .lp e .mps, também comprimidos com gzip)"},
    {"solver", select_solver, false, "altera o solver padrão (SCIP), opções - SCIP/GUROBI"},
    {"time_limit", set_time_limit, false,
     "adicionar um tempo máximo (em segundos) para a execução dos modelos"},
    {"verbose", set_verbose, false, "imprime log da otimização (s/n)"},
    {"jobs", set_jobs, false, "número de modelos resolvidos ao mesmo tempo (padrão 1)"},
    {"cluster", set_cluster, false, "enviar os modelos a um cluster Slurm (s/n, padrão n)"},
    {"save_sol", set_save_sol, false,
     "gravar a melhor solução de cada modelo na pasta de output (s/n, padrão n)"},
    {"resume", set_resume, false,
     "retomar o lote: pular os modelos que já têm resultado na pasta de output (s/n, padrão n)"},
    {"mem_limit", set_mem_limit, false,
     "memória máxima por modelo em MB (0 = sem limite, padrão 0)"},
    {"param_file", set_param_file, false,
     "arquivo de parâmetros do solver escolhido (um por solver, padrão nenhum)"},
    {"mod_lp", convert_mod_folder, false,
     "converter arquivos do formato mod para lp. Se os dados do modelo forem lidos de tabelas\n"
     "o programa só funciona se o executável estiver na mesma pasta dos modelos."},
    {"help", print_help, false, nullptr},
    {"about", print_banner, false, "informações sobre o Vardelmo"},
    {"exit", print_exit_message, true, "finalizar Vardelmo"},
};

// Names take this many columns after the line's leading blank.
constexpr std::size_t kNameWidth = 15;

const Command* find_command(const std::string& line) {
  for (const Command& command : kCommands)
    if (line == command.name) return &command;
  return nullptr;
}

}  // namespace

void print_help() {
  const std::string indent(1 + kNameWidth, ' ');
  std::string text = "\n";
  for (const Command& command : kCommands) {
    if (command.help == nullptr) continue;
    std::string name = command.name;
    text += " " + name + std::string(kNameWidth - name.size(), ' ');
    for (const char* c = command.help; *c != '\0'; ++c) {
      text += *c;
      if (*c == '\n') text += indent;
    }
    text += "\n";
  }
  text += "\n";
  print(text);
}

void command_loop() {
  shell_settings.time_limit = 0;
  shell_settings.jobs = 1;
  shell_settings.cluster = "n";
  print_banner();
  std::string line;
  for (;;) {
    print("Vardelmo> ");
    if (!read_line(line)) {
      // End of input: leave the prompt's line finished, as a terminal expects.
      print("\n");
      return;
    }
    const Command* command = find_command(line);
    if (command == nullptr) {
      print_error("Comando não reconhecido. Para ver os comandos digite 'help'\n");
      continue;
    }
    command->action();
    if (command->ends_loop) return;
  }
}

}  // namespace vardelmo
