#pragma once

namespace vardelmo {

void print_banner();  // at start and for `about`
void print_help();    // for `help`

}  // namespace vardelmo
