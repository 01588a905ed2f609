#pragma once
// Everything that differs between the Linux and the Windows program lives
// here and in platform.cpp, so the rest of the code stays portable.

#include <optional>
#include <string>

namespace vardelmo::platform {

#ifdef _WIN32
inline constexpr char path_separator = '\\';
inline constexpr const char* gurobi_library_file = "gurobi110.dll";
#else
inline constexpr char path_separator = '/';
inline constexpr const char* gurobi_library_file = "libgurobi110.so";
#endif

/// Makes the process Portuguese for every locale category but numbers: the
/// solver libraries read model files with the C library's number parsing,
/// which must keep the decimal point. Falls back to the current locale when
/// no Portuguese one is installed.
void set_process_locale();

/// strtod under the Portuguese numeric convention (decimal comma). Sets
/// *range_error when the magnitude does not fit a double. Returns the number
/// of characters consumed (0 when no number starts the text).
std::size_t parse_double_portuguese(const std::string& text, double* value,
                                    bool* range_error);

/// printf's "%f" under the Portuguese numeric convention: 0.5 -> "0,500000".
std::string format_fixed_portuguese(double value);

/// Puts `from` in the place of `to`, replacing it in one step.
bool replace_file(const std::string& from, const std::string& to);

}  // namespace vardelmo::platform
