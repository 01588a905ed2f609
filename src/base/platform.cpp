#include "base/platform.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "base/platform_names.h"

namespace vardelmo::platform {

void set_process_locale() {
  for (const char* const* name = names::kPortugueseLocales; *name != nullptr; ++name)
    if (std::setlocale(LC_ALL, *name) != nullptr) break;
  std::setlocale(LC_NUMERIC, "C");
}

// The process keeps the classic numeric locale (set_process_locale), so the
// C library's conversions use a point; the comma is swapped in and out here
// rather than taken from a Portuguese locale, which a machine may not have.
std::size_t parse_double_portuguese(const std::string& text, double* value,
                                    bool* range_error) {
  std::string classic = text.substr(0, text.find('.'));
  for (char& c : classic)
    if (c == ',') c = '.';
  const char* begin = classic.c_str();
  char* end = nullptr;
  errno = 0;
  *value = std::strtod(begin, &end);
  *range_error = (errno == ERANGE);
  return static_cast<std::size_t>(end - begin);
}

std::string format_fixed_portuguese(double value) {
  // 1e308 takes 309 digits before the separator.
  char buffer[400];
  const int length = std::snprintf(buffer, sizeof buffer, "%f", value);
  if (length < 0) return std::string();
  std::string text(buffer, static_cast<std::size_t>(length));
  const std::size_t point = text.find('.');
  if (point != std::string::npos) text[point] = ',';
  return text;
}

std::vector<std::filesystem::path> gurobi_library_candidates() {
  std::error_code error;
  std::filesystem::path start = std::filesystem::current_path(error);
  if (error) start = ".";
  std::vector<std::filesystem::path> candidates;
  for (const char* const* name = names::kGurobiLibraries; *name != nullptr; ++name)
    candidates.push_back(start / *name);
  const char* home = std::getenv("GUROBI_HOME");
  if (home == nullptr || *home == '\0') return candidates;
  // A relative GUROBI_HOME is taken from the start folder.
  std::filesystem::path installation = native_path(home, error);
  if (!error) installation = std::filesystem::absolute(installation, error);
  if (error) return candidates;
  for (const char* const* name = names::kGurobiLibraries; *name != nullptr; ++name)
    candidates.push_back(installation / names::kGurobiHomeLibraryFolder / *name);
  return candidates;
}

std::optional<std::filesystem::path> find_gurobi_library() {
  for (const std::filesystem::path& candidate : gurobi_library_candidates()) {
    std::error_code error;
    if (std::filesystem::is_directory(candidate, error)) continue;
    if (std::ifstream(candidate, std::ios::binary).is_open()) return candidate;
  }
  return std::nullopt;
}

std::string local_time_iso8601() {
  std::tm local{};
  long offset_minutes = 0;
  local_time(std::time(nullptr), local, offset_minutes);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  const long magnitude = offset_minutes < 0 ? -offset_minutes : offset_minutes;
  char offset[8];
  std::snprintf(offset, sizeof offset, "%c%02ld:%02ld", offset_minutes < 0 ? '-' : '+',
                magnitude / 60 % 100, magnitude % 60);
  return std::string(text) + offset;
}

bool replace_file(const std::string& from, const std::string& to) {
  std::string ignored;
  return replace_file(from, to, ignored);
}

}  // namespace vardelmo::platform
