#include "shell/console.h"

#include <iostream>

namespace vardelmo {

bool read_line(std::string& line) {
  line.clear();
  if (!std::getline(std::cin, line)) {
    line.clear();
    return false;
  }
  return true;
}

bool ask(const char* prompt, std::string& answer) {
  // std::cin is tied to std::cout, so the prompt is flushed before the read.
  std::cout << prompt;
  return read_line(answer);
}

}  // namespace vardelmo
