#include "shell/command_loop.h"
#include "base/platform.h"

int main() {
  vardelmo::platform::set_process_locale();
  vardelmo::platform::keep_running_past_file_size_limit();
  vardelmo::command_loop();
  return 0;
}
