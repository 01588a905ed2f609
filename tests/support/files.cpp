#include "files.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vardelmo::test {

std::string read_file(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void write_file(const std::filesystem::path& file, const std::string& content) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

namespace {

#ifdef _WIN32
int process_id() { return _getpid(); }
#else
int process_id() { return getpid(); }
#endif

}  // namespace

TempFolder::TempFolder(const std::filesystem::path& base) {
  static std::atomic<int> counter{0};
  for (;;) {
    std::filesystem::path candidate =
        base / ("vardelmo-test-" + std::to_string(process_id()) + "-" + std::to_string(counter++));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Tests may leave folders without permissions behind.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace vardelmo::test
