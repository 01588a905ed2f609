#pragma once
// Line editing, history and Tab completion for a person at a terminal: one
// interface here, implemented with GNU Readline on POSIX
// (platform_line_editor_posix.cpp) and absent on Windows
// (platform_line_editor_windows.cpp), whose console edits and remembers lines
// by itself. Like platform.h, it holds platform differences only.

#include <string>

#include "base/console.h"

namespace vardelmo::platform {

/// True when lines are read through the editor: this system has one and
/// both standard input and standard output are terminals. Elsewhere
/// answers are read as bytes, with no prompt handling and no control
/// characters.
[[nodiscard]] bool lines_are_edited();

/// Shows `prompt` and reads one edited line, without its line end, taken as
/// typed; Tab offers what `completion` says. Non-empty lines go into the
/// history, kept in the home folder across sessions (when it can be read and
/// written). False at end of input (Ctrl+D on an empty line) or on a read
/// error, and ever after; `line` is then empty. Only where lines_are_edited().
[[nodiscard]] bool edit_line(const char* prompt, const Completion& completion, std::string& line);

}  // namespace vardelmo::platform
