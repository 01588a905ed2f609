#pragma once
#include <optional>
#include <string>

#include "solvers/runners.h"

namespace vardelmo {

/// Solves one model file with SCIP under `settings`, prints its block and
/// hands back its result: none when no SCIP instance could be made. A model
/// with a solution leaves its best at the job's `solution_path`, if any.
[[nodiscard]] std::optional<ModelResult> run_scip_model(const ModelJob& job,
                                                        const SolveSettings& settings);

/// Whether SCIP's settings file at `path` reads into a fresh instance; when
/// not, SCIP has said why on standard error.
[[nodiscard]] bool scip_settings_file_reads(const std::string& path);

/// The version of the SCIP library the process runs with: "10.0.2".
[[nodiscard]] std::string scip_library_version();

/// Whether the SCIP library reads gzip-compressed models itself (the
/// pinned Windows wheel's does not).
[[nodiscard]] bool scip_library_reads_gzip();

/// Empty when the SCIP library that the process runs with has the major
/// version the program was built for; otherwise what to tell the user.
[[nodiscard]] std::string scip_library_mismatch();

}  // namespace vardelmo
