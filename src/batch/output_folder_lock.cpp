#include "batch/output_folder_lock.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <random>
#include <system_error>

#include "base/files.h"
#include "base/platform.h"

namespace vardelmo {
namespace {

namespace fs = std::filesystem;

const char kMark[] = "lote_em_andamento";
// In the mark: "<process number>\n<machine>\n", the held file, the heartbeat.
const char kOwnerFile[] = "dono";
const char kHeldFile[] = "lock";
const char kHeartbeatFile[] = "heartbeat";
constexpr std::chrono::seconds kBeat{10};
// Some beats may come late from a slow file server, and its attributes be
// cached for up to a minute by the reading machine.
constexpr std::chrono::minutes kSilent{2};

std::string narrow(const fs::path& path) {
  std::error_code error;
  return platform::narrow_name(path, error);
}

/// A name beside the mark that no other batch uses.
fs::path fresh_name(const fs::path& folder, const char* suffix) {
  std::random_device random;
  return folder / (std::string(kMark) + "." + std::to_string(platform::process_id()) + "-" +
                   std::to_string(random()) + suffix);
}

struct Owner {
  std::string process = "?";
  std::string machine = "?";
  std::string text;
};

Owner owner_of(const fs::path& mark) {
  Owner owner;
  owner.text = read_whole_file(narrow(mark / kOwnerFile), false).value_or("");
  const std::size_t end = owner.text.find('\n');
  if (end == std::string::npos) return owner;
  owner.process = owner.text.substr(0, end);
  const std::size_t machine_end = owner.text.find('\n', end + 1);
  if (machine_end != std::string::npos)
    owner.machine = owner.text.substr(end + 1, machine_end - end - 1);
  return owner;
}

/// Whether the batch of the mark at `mark` still runs; `now` is the file
/// server's time.
bool still_runs(const fs::path& mark, const Owner& owner, fs::file_time_type now) {
  if (owner.machine == platform::host_name()) {
    switch (platform::HeldFile::state(mark / kHeldFile)) {
      case platform::HeldFile::State::Held: return true;
      case platform::HeldFile::State::Free: return false;
      // Not held yet, or on a file system without locks.
      case platform::HeldFile::State::Missing: break;
    }
    unsigned long process = 0;
    try {
      process = std::stoul(owner.process);
    } catch (const std::exception&) {
      return false;
    }
    return platform::process_may_run(process);
  }
  std::error_code error;
  auto beat = fs::last_write_time(mark / kHeartbeatFile, error);
  if (error) beat = fs::last_write_time(mark, error);
  return !error && now - beat < kSilent;
}

/// The file server's time now: that of a file just written in `folder`.
std::optional<fs::file_time_type> server_time(const fs::path& folder) {
  const fs::path probe = fresh_name(folder, ".agora");
  std::error_code error;
  if (!write_whole_file(narrow(probe), "")) return std::nullopt;
  const auto now = fs::last_write_time(probe, error);
  fs::remove(probe, error);
  return now;
}

/// The holder of the mark in `folder`, when it still runs; a mark whose
/// batch is gone is removed.
std::optional<std::string> live_holder(const fs::path& folder) {
  const fs::path mark = folder / kMark;
  std::error_code error;
  if (!fs::exists(mark, error)) return std::nullopt;
  const Owner owner = owner_of(mark);
  const std::optional<fs::file_time_type> now = server_time(folder);
  // Where nothing can be written, neither batch writes results here.
  if (!now || still_runs(mark, owner, *now)) return owner.process + " em " + owner.machine;
  // Moved away first, so that of two batches that found it gone only one
  // removes it; one that moved a newer mark puts it back.
  const fs::path gone = fresh_name(folder, ".velho");
  if (!platform::rename_folder_to_free_name(mark, gone)) return std::nullopt;
  if (owner_of(gone).text == owner.text)
    fs::remove_all(gone, error);
  else
    static_cast<void>(platform::rename_folder_to_free_name(gone, mark));
  return std::nullopt;
}

}  // namespace

bool is_output_folder_mark(const std::string& name) {
  return name.compare(0, sizeof kMark - 1, kMark) == 0 &&
         (name.size() == sizeof kMark - 1 || name[sizeof kMark - 1] == '.');
}

std::optional<std::string> OutputFolderLock::holder_of(const std::string& folder) {
  std::error_code error;
  const fs::path native = platform::native_path(folder, error);
  if (error) return std::nullopt;
  return live_holder(native);
}

OutputFolderLock::OutputFolderLock(const std::string& folder) {
  std::error_code error;
  const fs::path native = platform::native_path(folder, error);
  if (error) return;
  const std::string owner =
      std::to_string(platform::process_id()) + "\n" + platform::host_name() + "\n";
  // A second try for a mark that was gone.
  for (int attempt = 0; attempt < 2 && !holder_; ++attempt) {
    const fs::path made = fresh_name(native, "");
    if (!fs::create_directory(made, error)) return;
    if (write_whole_file(narrow(made / kOwnerFile), owner) &&
        write_whole_file(narrow(made / kHeartbeatFile), "0")) {
      if (platform::rename_folder_to_free_name(made, native / kMark)) {
        mark_ = native / kMark;
        // Held only once renamed: Windows renames no folder with an open file.
        held_.emplace(mark_ / kHeldFile);
        heartbeat_ = std::thread([this] { beat(); });
        return;
      }
    }
    fs::remove_all(made, error);
    holder_ = live_holder(native);
  }
}

OutputFolderLock::~OutputFolderLock() {
  if (mark_.empty()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  stop_.notify_one();
  heartbeat_.join();
  // Let go first: on Windows a held file cannot be removed.
  held_.reset();
  std::error_code ignored;
  fs::remove_all(mark_, ignored);
}

void OutputFolderLock::beat() {
  const std::string path = narrow(mark_ / kHeartbeatFile);
  unsigned long beats = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_.wait_for(lock, kBeat, [this] { return stopping_; })) {
    // Whole or not at all; into a folder that is gone, nothing.
    const std::string partial = path + ".part";
    if (!write_whole_file(partial, std::to_string(++beats)) ||
        !platform::replace_file(partial, path))
      std::remove(partial.c_str());
  }
}

}  // namespace vardelmo
