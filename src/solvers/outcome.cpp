#include "solvers/outcome.h"

#include <cstdio>

#include "base/console.h"
#include "base/files.h"
#include "results/rows.h"

namespace vardelmo {

std::string console_number(double value) {
  // What a C++ stream prints by default: printf's "%g". The process keeps the
  // classic numeric locale (platform::set_process_locale), so the decimal
  // point stays a point.
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%g", value);
  return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::string model_file_name(const std::string& model_path) { return split_path(model_path).back(); }

void print_outcome_block(const ModelResult& result, bool status_shown) {
  std::string block = "NOME: " + result.name + "\nTEMPO: " + console_number(result.seconds) + "\n";
  if (status_shown) block += std::string("STATUS: ") + outcome_word(result.outcome) + "\n";
  print(block);
}

}  // namespace vardelmo
