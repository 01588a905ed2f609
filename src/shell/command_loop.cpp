#include "shell/command_loop.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/console.h"
#include "compare/compare_command.h"
#include "convert/mod_conversion.h"
#include "shell/banner.h"
#include "shell/settings.h"
#include "shell/solver_selection.h"

namespace vardelmo {
namespace {

void print_exit_message() { print("Saindo do shell...\n"); }

void print_settings();

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
    {"solver", select_solver, false, solver_help()},
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
    {"compare", compare_results_folders, false,
     "comparar as pastas de resultados de vários lotes e gerar um relatório (csv e html)"},
    {"settings", print_settings, false, "mostrar os valores em vigor das configurações"},
    {"mod_lp", convert_mod_folder, false,
     "converter arquivos do formato mod para lp. Se os dados do modelo forem lidos de tabelas\n"
     "o programa só funciona se o executável estiver na mesma pasta dos modelos."},
    {"help", print_help, false, nullptr},
    {"about", print_banner, false, "informações sobre o Vardelmo"},
    {"exit", print_exit_message, true, "finalizar Vardelmo"},
};

// Names take this many columns after the line's leading blank.
constexpr std::size_t kNameWidth = 15;

void print_settings() { print(settings_text(kNameWidth)); }

const Command* find_command(const std::string& line) {
  for (const Command& command : kCommands)
    if (line == command.name) return &command;
  return nullptr;
}

// Edits (a byte inserted, removed, replaced, or two neighbours swapped)
// that turn `a` into `b`.
std::size_t edit_distance(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i)
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                          d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

// The command a mistyped line most likely meant: the one closest to it, at
// most two edits away; none when two are as close, or for an empty line.
const Command* meant_command(const std::string& line) {
  if (line.empty()) return nullptr;
  const Command* closest = nullptr;
  std::size_t best = 3;
  bool tie = false;
  for (const Command& command : kCommands) {
    const std::size_t distance = edit_distance(line, command.name);
    if (distance < best) {
      best = distance;
      closest = &command;
      tie = false;
    } else if (distance == best) {
      tie = true;
    }
  }
  return tie ? nullptr : closest;
}

Completion command_names() {
  Completion names{Completion::Kind::Words, {}};
  for (const Command& command : kCommands) names.words.emplace_back(command.name);
  return names;
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
  const Completion commands = command_names();
  std::string line;
  for (;;) {
    if (!ask("Vardelmo> ", line, commands)) {
      // End of input: leave the prompt's line finished, as a terminal expects.
      print("\n");
      return;
    }
    const Command* command = find_command(line);
    if (command == nullptr) {
      print_error("Comando não reconhecido. Para ver os comandos digite 'help'\n");
      if (const Command* meant = meant_command(line))
        print_error(std::string("Você quis dizer '") + meant->name + "'?\n");
      continue;
    }
    command->action();
    if (command->ends_loop) return;
  }
}

}  // namespace vardelmo
