#include "base/console.h"

#include <cstdio>

namespace vardelmo {

void print(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void print_error(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); }

void flush_output() { std::fflush(stdout); }

bool read_line(std::string& line) {
  line.clear();
  // Input that ended or failed stays so, as a C++ stream's would.
  if (std::feof(stdin) || std::ferror(stdin)) return false;
  // What was asked must be on the screen before the shell waits.
  std::fflush(stdout);
  for (int c; (c = std::getc(stdin)) != EOF;) {
    if (c == '\n') return true;
    line.push_back(static_cast<char>(c));
  }
  // A last line without its line feed still counts.
  if (std::ferror(stdin)) line.clear();
  return !line.empty();
}

bool ask(const char* prompt, std::string& answer) {
  print(prompt);
  return read_line(answer);
}

}  // namespace vardelmo
