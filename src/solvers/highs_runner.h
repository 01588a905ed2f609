#pragma once
#include <optional>
#include <string>

#include "solvers/runners.h"

namespace vardelmo {

/// Solves one model file with HiGHS under `settings`, on one thread, prints
/// its block and hands back its result: none when no HiGHS instance could be
/// made. Ctrl+C during the solve stops it with the best solution so far. A
/// model with a solution leaves its best at the job's `solution_path`.
[[nodiscard]] std::optional<ModelResult> run_highs_model(const ModelJob& job,
                                                         const SolveSettings& settings);

/// Whether HiGHS reads the options file at `path` into a fresh instance;
/// when not, HiGHS's words and a line of ours are on standard error.
[[nodiscard]] bool highs_settings_file_reads(const std::string& path);

/// The version of the HiGHS library the process runs with: "1.15.1".
[[nodiscard]] std::string highs_library_version();

/// Whether the HiGHS library reads gzip-compressed models itself: what the
/// build knows of the library it was linked with (the pinned Windows
/// wheel's does not).
[[nodiscard]] bool highs_library_reads_gzip();

}  // namespace vardelmo
