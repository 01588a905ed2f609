#pragma once
// The texts `compare` writes: its three CSV files, its console table and its
// HTML page, each a function of the runs and their comparison. Lines end in
// `line_end`.
#include <string>
#include <vector>

#include "compare/comparison.h"

namespace vardelmo {

[[nodiscard]] std::string summary_csv(const std::vector<Run>& runs, const Comparison& c,
                                      const std::string& line_end);
[[nodiscard]] std::string models_csv(const std::vector<Run>& runs, const Comparison& c,
                                     const std::string& line_end);
[[nodiscard]] std::string profile_csv(const std::vector<Run>& runs, const Comparison& c,
                                      const std::string& line_end);
/// The summary as aligned columns, then the inconsistent models, then the
/// models missing from some folder; with "\n" line ends.
[[nodiscard]] std::string console_report(const std::vector<Run>& runs, const Comparison& c);
/// The page, declaring `charset` as its character set.
[[nodiscard]] std::string html_report(const std::vector<Run>& runs, const Comparison& c,
                                      const std::string& charset, const std::string& line_end);

}  // namespace vardelmo
