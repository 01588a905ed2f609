#include "solvers/solution_file.h"

#include <cstdio>

#include "base/console.h"
#include "base/files.h"
#include "base/platform.h"

namespace vardelmo {
namespace {

// The process keeps the classic numeric locale: a decimal point.
void append_number(std::string& text, double value) {
  char digits[32];
  const int length = std::snprintf(digits, sizeof digits, "%.17g", value);
  text.append(digits, length > 0 ? static_cast<std::size_t>(length) : 0);
}

}  // namespace

SolutionText::SolutionText(double objective) : text_("# Objective value = ") {
  append_number(text_, objective);
  text_ += platform::line_end;
}

void SolutionText::add(const char* name, double value) {
  text_ += name;
  text_ += ' ';
  append_number(text_, value);
  text_ += platform::line_end;
}

void SolutionText::write(const std::string& path) const {
  const std::string partial = path + ".part";
  if (write_whole_file(partial, text_) && platform::replace_file(partial, path)) return;
  std::remove(partial.c_str());
  print_error("Não foi possível gravar a solução em " + path + "\n");
}

}  // namespace vardelmo
