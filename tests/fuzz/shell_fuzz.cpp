// Random and mutated standard input to the shell. Whatever is typed, the
// shell must not crash or hang, and it shows at most one prompt per line it
// reads plus the one that meets the end of input.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "session.h"

namespace {

std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vardelmo::fuzz;
  std::string input(reinterpret_cast<const char*>(data), size);
  // Without a slash no typed path leaves the scratch folder, so the fuzzer
  // can neither remove nor write files elsewhere on the machine.
  std::replace(input.begin(), input.end(), '/', '_');

  fresh_workspace();
  const SessionOutput session = run_session(input);

  const std::size_t lines =
      count_of(input, "\n") + (input.empty() || input.back() == '\n' ? 0 : 1);
  require(count_of(session.out, "Vardelmo> ") <= lines + 1,
          "more prompts than lines read", session);
  return 0;
}
