#pragma once

namespace vardelmo {

/// Shows the banner, then runs one command line after another until `exit`
/// or the end of standard input.
void command_loop();

/// Command `help`: a line for each command but `help` itself.
void print_help();

}  // namespace vardelmo
