#pragma once
#include <cstddef>
#include <string>

#include "base/files.h"
#include "batch/parallel_batch.h"

namespace vardelmo {

/// Before a cluster batch asks anything: false, after saying why, when
/// Slurm's commands do not answer.
[[nodiscard]] bool slurm_ready();

/// Solves `models` as one Slurm job array, a task per model and at most
/// `jobs` at once, each task this program in its worker role. Each model's
/// block is printed whole as its task ends; entries that are no model print
/// their header at once. The task files live in a folder made in
/// `output_folder`, which the nodes must see as this machine does.
void solve_on_cluster(const FileNameList& models, const std::string& output_folder,
                      std::size_t jobs, const EntryFinished& finished);

}  // namespace vardelmo
