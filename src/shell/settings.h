#pragma once
#include <optional>
#include <string>

#include "base/batch_settings.h"
#include "base/shell_settings.h"

namespace vardelmo {

/// Converts a typed time limit: leading blanks skipped, the longest number at
/// the start taken with the decimal comma, the rest ignored. Empty when no
/// number starts the line or its magnitude does not fit a double.
[[nodiscard]] std::optional<double> parse_time_limit(const std::string& line);

/// A typed number of models at once: digits only, from 1 up (at most nine
/// digits). Empty for anything else.
[[nodiscard]] std::optional<std::size_t> parse_jobs(const std::string& line);

/// A typed memory limit in MB: digits only, at most nine; 0 is no limit.
/// Empty for anything else.
[[nodiscard]] std::optional<std::size_t> parse_mem_limit(const std::string& line);

/// The settings of a batch, as the shell's stand now.
[[nodiscard]] BatchSettings batch_settings(const ShellSettings& settings);

void optimize_with_settings();  // command `opt`, under the shell's settings
void set_time_limit();  // command `time_limit`
void set_jobs();        // command `jobs`
void set_cluster();     // command `cluster`
void set_verbose();     // command `verbose`
void set_save_sol();    // command `save_sol`
void set_resume();      // command `resume`
void set_mem_limit();   // command `mem_limit`
void set_param_file();  // command `param_file`

/// What command `settings` prints: an empty line, a line per setting in the
/// columns of `help` (a blank, the name padded to `name_width`, the value),
/// an empty line.
[[nodiscard]] std::string settings_text(std::size_t name_width);

}  // namespace vardelmo
