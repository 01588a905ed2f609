#pragma once
#include <optional>

namespace vardelmo {

/// What the program does with the arguments it was started with, before
/// any shell: `--version` and `--help` print their text and give the exit
/// status; any other argument is refused (status 2). Nothing when there is
/// no argument: the shell starts as ever.
[[nodiscard]] std::optional<int> run_command_line(int argc, char** argv);

}  // namespace vardelmo
