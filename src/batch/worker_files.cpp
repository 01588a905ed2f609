#include "batch/worker_files.h"

#include <cstdio>
#include <random>
#include <system_error>

#include "base/files.h"
#include "base/platform.h"
#include "base/process.h"
#include "base/shell_settings.h"
#include "batch/workers.h"

namespace vardelmo {
namespace {

/// What the worker printed, as text: on Windows its line ends come back as
/// the console's.
std::string read_output(const std::string& path) {
  return read_whole_file(path, true).value_or(std::string());
}

}  // namespace

TaskFolder::TaskFolder(const std::filesystem::path& base) {
  std::random_device random;
  std::error_code error;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate =
        base / ("vardelmo-" + std::to_string(platform::process_id()) + "-" +
                std::to_string(random()));
    if (!std::filesystem::create_directory(candidate, error)) {
      if (error) return;
      continue;
    }
    native_ = candidate;
    path_ = platform::narrow_name(candidate, error);
    if (error) path_.clear();
    return;
  }
}

TaskFolder::~TaskFolder() {
  std::error_code ignored;
  if (!native_.empty()) std::filesystem::remove_all(native_, ignored);
}

std::string TaskFolder::file(std::size_t task, const char* suffix) const {
  return path_ + platform::path_separator + std::to_string(task) + suffix;
}

bool TaskFolder::write_task(std::size_t task, const ModelJob& job, std::string& reason) const {
  const std::string text =
      encode_worker_task({shell_settings.solver, shell_settings.time_limit, shell_settings.verbose,
                          shell_settings.mem_limit, job.model_path, file(task, ".res"),
                          job.solution_path});
  const std::string path = file(task, ".in");
  const bool written = write_whole_file(path, text);
  if (!written) reason = path + ": não foi possível escrever";
  return written;
}

TaskFolder::Left TaskFolder::collect(std::size_t task) const {
  Left left;
  left.captured.output = read_output(file(task, ".out"));
  left.captured.errors = read_output(file(task, ".err"));
  if (const std::optional<std::string> bytes = read_whole_file(file(task, ".res"), false))
    left.result = decode_worker_result(*bytes);
  for (const char* suffix : {".in", ".out", ".err", ".res"}) std::remove(file(task, suffix).c_str());
  return left;
}

}  // namespace vardelmo
