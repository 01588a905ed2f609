#include "shell/command_line.h"
#include "shell/command_loop.h"
#include "base/platform.h"
#include "worker/worker_main.h"

int main(int argc, char** argv) {
  vardelmo::platform::set_process_locale();
  vardelmo::platform::keep_running_past_file_size_limit();
  if (const std::optional<int> status = vardelmo::run_command_line(argc, argv)) return *status;
  if (vardelmo::serve_as_worker()) return 0;
  vardelmo::command_loop();
  return 0;
}
