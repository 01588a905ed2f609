#pragma once

namespace vardelmo {

void print_banner();  // at start and for `about`

}  // namespace vardelmo
