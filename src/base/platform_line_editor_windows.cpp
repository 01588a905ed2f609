#include "base/platform_line_editor.h"

namespace vardelmo::platform {

// The console's own line editing and history serve the plain reading.
bool lines_are_edited() { return false; }

bool edit_line(const char*, const Completion&, std::string& line) {
  line.clear();
  return false;
}

}  // namespace vardelmo::platform
