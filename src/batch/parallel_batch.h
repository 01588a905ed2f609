#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

#include "base/files.h"
#include "batch/worker_files.h"
#include "solvers/runners.h"

namespace vardelmo {

/// Called as each entry of a batch ends, in the order they end: its row
/// (without the SOLVER field), or none.
using EntryFinished = std::function<void(std::size_t entry, std::optional<std::string_view> row)>;

/// Solves an entry in this process: its header, its run, `finished`.
using SolveHere = std::function<void(std::size_t entry)>;

/// Solves `models` with `runner`'s solver in up to `jobs` worker processes
/// at a time. Each model's block is printed whole when its worker ends, so
/// blocks never mix; entries that are no model print their header when they
/// are reached. A model whose worker cannot start is solved by `solve_here`.
void solve_in_workers(const FileNameList& models, std::size_t jobs, const SolveHere& solve_here,
                      const EntryFinished& finished);

}  // namespace vardelmo
