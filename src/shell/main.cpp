#include "shell/command_loop.h"
#include "shell/platform.h"

int main() {
  vardelmo::platform::set_process_locale();
  vardelmo::command_loop();
  return 0;
}
