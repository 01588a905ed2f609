#include "batch/worker_files.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <random>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/files.h"
#include "base/platform.h"
#include "base/process.h"
#include "base/shell_settings.h"
#include "batch/workers.h"

namespace vardelmo {
namespace {

const char kFolderPrefix[] = "vardelmo-";
// Held by the shell of a held task folder.
const char kHeldFile[] = "lock";

/// The process number of the shell that made the task folder `name`
/// ("vardelmo-<number>-<number>"); none for any other name.
std::optional<unsigned long> maker_of(const std::string& name) {
  const std::size_t prefix = sizeof kFolderPrefix - 1;
  const std::size_t dash = name.find('-', prefix);
  auto number = [](std::string_view text, unsigned long& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
  };
  unsigned long maker = 0, serial = 0;
  if (name.compare(0, prefix, kFolderPrefix) != 0 || dash == std::string::npos ||
      !number(std::string_view(name).substr(prefix, dash - prefix), maker) ||
      !number(std::string_view(name).substr(dash + 1), serial))
    return std::nullopt;
  return maker;
}

/// The entries of `folder` but its held file; none when it cannot be read.
std::vector<std::filesystem::path> task_files(const std::filesystem::path& folder) {
  std::error_code error;
  std::vector<std::filesystem::path> entries;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error))
    if (entry->path().filename() != kHeldFile) entries.push_back(entry->path());
  if (error) entries.clear();
  return entries;
}

/// Everything in `folder`, its held file last: a folder that cannot all go
/// yet stays recognisable. (On Windows, a file that a killed shell's worker
/// still has open stays listed, its removal pending, until the worker ends.)
void remove_task_folder(const std::filesystem::path& folder) {
  std::error_code error;
  for (const std::filesystem::path& entry : task_files(folder)) {
    std::filesystem::remove_all(entry, error);
    if (error) return;
  }
  if (!task_files(folder).empty()) return;
  std::filesystem::remove(folder / kHeldFile, error);
  if (!error) std::filesystem::remove(folder, error);
}

/// What the worker printed, as text: on Windows its line ends come back as
/// the console's.
std::string read_output(const std::string& path) {
  return read_whole_file(path, true).value_or(std::string());
}

}  // namespace

TaskFolder::TaskFolder(const std::filesystem::path& base, bool held) {
  std::random_device random;
  std::error_code error;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate =
        base / (kFolderPrefix + std::to_string(platform::process_id()) + "-" +
                std::to_string(random()));
    if (!std::filesystem::create_directory(candidate, error)) {
      if (error) return;
      continue;
    }
    native_ = candidate;
    path_ = platform::narrow_name(candidate, error);
    if (error) path_.clear();
    // Without it (a file system without locks), the folder is told by its
    // shell's process number.
    if (held) held_.emplace(candidate / kHeldFile);
    return;
  }
}

TaskFolder::~TaskFolder() {
  // Let go first: on Windows a held file cannot be removed.
  held_.reset();
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

void remove_abandoned_task_folders(const std::filesystem::path& base) {
  std::error_code error;
  std::vector<std::filesystem::path> abandoned;
  for (std::filesystem::directory_iterator entry(base, error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code unnamed;
    const std::optional<unsigned long> maker =
        maker_of(platform::narrow_name(entry->path().filename(), unnamed));
    if (unnamed || !maker || !entry->is_directory(unnamed)) continue;
    const platform::HeldFile::State held =
        platform::HeldFile::state(entry->path() / kHeldFile);
    if (held == platform::HeldFile::State::Free ||
        (held == platform::HeldFile::State::Missing && !platform::process_may_run(*maker)))
      abandoned.push_back(entry->path());
  }
  for (const std::filesystem::path& folder : abandoned) remove_task_folder(folder);
}

}  // namespace vardelmo
