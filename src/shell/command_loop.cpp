#include "shell/command_loop.h"

#include <string>

#include "batch/batch_driver.h"
#include "convert/mod_conversion.h"
#include "shell/banner.h"
#include "shell/console.h"
#include "shell/settings.h"
#include "shell/solver_selection.h"

namespace vardelmo {
namespace {

void print_exit_message() { print("Saindo do shell...\n"); }

struct Command {
  const char* name;
  void (*action)();
  bool ends_loop;
};

// A line is a command only when it equals a name byte for byte.
const Command kCommands[] = {
    {"exit", print_exit_message, true},
    {"opt", optimize_lp_folder, false},
    {"solver", select_solver, false},
    {"time_limit", set_time_limit, false},
    {"verbose", set_verbose, false},
    {"mod_lp", convert_mod_folder, false},
    {"help", print_help, false},
    {"about", print_banner, false},
};

const Command* find_command(const std::string& line) {
  for (const Command& command : kCommands)
    if (line == command.name) return &command;
  return nullptr;
}

}  // namespace

void command_loop() {
  shell_settings.time_limit = 0;
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
