#include "shell/platform.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include <locale.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vardelmo::platform {
namespace {

#ifdef _WIN32
using NumericLocale = _locale_t;
const char* const kPortugueseNames[] = {"portuguese"};
#else
using NumericLocale = locale_t;
const char* const kPortugueseNames[] = {"pt_BR.UTF-8", "pt_PT.UTF-8", "portuguese"};
#endif

// The Portuguese numeric convention, kept apart from the process locale so
// that only our own two conversions use it. Null when none is installed:
// the conversions then follow the current locale.
NumericLocale portuguese_numbers = nullptr;

}  // namespace

void set_process_locale() {
  for (const char* name : kPortugueseNames) {
    if (std::setlocale(LC_ALL, name) == nullptr) continue;
#ifdef _WIN32
    portuguese_numbers = _create_locale(LC_NUMERIC, name);
#else
    portuguese_numbers = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(0));
#endif
    break;
  }
  std::setlocale(LC_NUMERIC, "C");
}

std::size_t parse_double_portuguese(const std::string& text, double* value,
                                    bool* range_error) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
#ifdef _WIN32
  *value = portuguese_numbers ? _strtod_l(begin, &end, portuguese_numbers)
                              : std::strtod(begin, &end);
#else
  *value = portuguese_numbers ? strtod_l(begin, &end, portuguese_numbers)
                              : std::strtod(begin, &end);
#endif
  *range_error = (errno == ERANGE);
  return static_cast<std::size_t>(end - begin);
}

std::string format_fixed_portuguese(double value) {
  // 1e308 takes 309 digits before the separator.
  char buffer[400];
  int length;
#ifdef _WIN32
  length = portuguese_numbers
               ? _snprintf_l(buffer, sizeof buffer, "%f", portuguese_numbers, value)
               : std::snprintf(buffer, sizeof buffer, "%f", value);
#else
  if (portuguese_numbers) {
    locale_t previous = uselocale(portuguese_numbers);
    length = std::snprintf(buffer, sizeof buffer, "%f", value);
    uselocale(previous);
  } else {
    length = std::snprintf(buffer, sizeof buffer, "%f", value);
  }
#endif
  if (length < 0) return std::string();
  return std::string(buffer, static_cast<std::size_t>(length));
}

bool replace_file(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace vardelmo::platform
