#pragma once
#include <optional>
#include <string>

namespace vardelmo {

/// The three shell-wide settings. Texts are kept as typed and compared as
/// texts by their readers.
struct ShellSettings {
  /// "SCIP" or "GUROBI": the solver of the next batch.
  std::string solver = "SCIP";
  /// Seconds handed to the solver; 0 means no limit is set at all.
  double time_limit = 0;
  /// "s" or "n"; "n" switches the solver's log off.
  std::string verbose = "n";
};

/// The process-wide instance.
extern ShellSettings shell_settings;

/// Converts a typed time limit: leading blanks skipped, the longest number at
/// the start taken with the decimal comma, the rest ignored. Empty when no
/// number starts the line or its magnitude does not fit a double.
std::optional<double> parse_time_limit(const std::string& line);

void set_time_limit();  // command `time_limit`
void set_verbose();     // command `verbose`

}  // namespace vardelmo
