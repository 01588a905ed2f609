#include "base/console.h"

#include <cstdio>

#include "base/platform_line_editor.h"
#include "base/process.h"

namespace vardelmo {
namespace {

// How many bytes the passing line on the screen has; 0: none is shown.
std::size_t passing_line = 0;
// Whether the cursor stands at the start of a line: after a line end this
// program printed, or a line typed at a terminal, which shows its end.
bool at_line_start = true;

// Takes the passing line off the screen: a space for every byte (at least
// one for every column, whatever the encoding of its letters), and the
// cursor back where the line began. Standard output keeps it until flushed.
void write_wipe() {
  if (passing_line == 0) return;
  std::fputc('\r', stdout);
  for (; passing_line > 0; --passing_line) std::fputc(' ', stdout);
  std::fputc('\r', stdout);
}

}  // namespace

void print(std::string_view text) {
  wipe_passing_line();
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!text.empty()) at_line_start = text.back() == '\n';
}

void print_error(std::string_view text) {
  wipe_passing_line();
  std::fwrite(text.data(), 1, text.size(), stderr);
}

void show_passing_line(std::string_view text) {
  if (!at_line_start) return;
  // One flush for both, so the screen never shows the line half drawn.
  write_wipe();
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  passing_line = text.size();
}

void wipe_passing_line() {
  if (passing_line == 0) return;
  write_wipe();
  // Before whatever goes to standard error next.
  std::fflush(stdout);
}

void flush_output() { std::fflush(stdout); }

bool read_line(std::string& line) {
  line.clear();
  // Input that ended or failed stays so, as a C++ stream's would.
  if (std::feof(stdin) || std::ferror(stdin)) return false;
  // What was asked must be on the screen before the shell waits.
  std::fflush(stdout);
  for (int c; (c = std::getc(stdin)) != EOF;) {
    if (c == '\n') {
      static const bool shown = platform::input_is_terminal();
      if (shown) at_line_start = true;
      return true;
    }
    line.push_back(static_cast<char>(c));
  }
  // A last line without its line feed still counts.
  if (std::ferror(stdin)) line.clear();
  return !line.empty();
}

bool ask(const char* prompt, std::string& answer, const Completion& completion) {
  if (!platform::lines_are_edited()) {
    print(prompt);
    return read_line(answer);
  }
  // The editor writes the prompt itself, to be able to redraw the line.
  wipe_passing_line();
  std::fflush(stdout);
  const bool typed = platform::edit_line(prompt, completion, answer);
  // An accepted line shows its end; at the end of input the cursor stays
  // after the prompt.
  at_line_start = typed;
  return typed;
}

}  // namespace vardelmo
