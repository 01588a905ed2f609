#include "base/own_folder.h"

#include <charconv>
#include <random>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/platform.h"

namespace vardelmo {
namespace {

const char kFolderPrefix[] = "vardelmo-";
// Held by the owner of a held folder.
const char kHeldFile[] = "lock";

/// The entries of `folder` but its held file; none when it cannot be read.
std::vector<std::filesystem::path> folder_entries(const std::filesystem::path& folder) {
  std::error_code error;
  std::vector<std::filesystem::path> entries;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error))
    if (entry->path().filename() != kHeldFile) entries.push_back(entry->path());
  if (error) entries.clear();
  return entries;
}

}  // namespace

OwnFolder::OwnFolder(const std::filesystem::path& base, bool held) {
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
    // owner's process number.
    if (held) held_.emplace(candidate / kHeldFile);
    return;
  }
}

OwnFolder::~OwnFolder() {
  // Let go first: on Windows a held file cannot be removed.
  held_.reset();
  std::error_code ignored;
  if (!native_.empty()) std::filesystem::remove_all(native_, ignored);
}

std::optional<unsigned long> own_folder_maker(const std::string& name) {
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

void remove_own_folder(const std::filesystem::path& folder) {
  std::error_code error;
  for (const std::filesystem::path& entry : folder_entries(folder)) {
    std::filesystem::remove_all(entry, error);
    if (error) return;
  }
  if (!folder_entries(folder).empty()) return;
  std::filesystem::remove(folder / kHeldFile, error);
  if (!error) std::filesystem::remove(folder, error);
}

void remove_abandoned_folders(const std::filesystem::path& base) {
  std::error_code error;
  std::vector<std::filesystem::path> abandoned;
  for (std::filesystem::directory_iterator entry(base, error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code unnamed;
    const std::optional<unsigned long> maker =
        own_folder_maker(platform::narrow_name(entry->path().filename(), unnamed));
    if (unnamed || !maker || !entry->is_directory(unnamed)) continue;
    const platform::HeldFile::State held =
        platform::HeldFile::state(entry->path() / kHeldFile);
    if (held == platform::HeldFile::State::Free ||
        (held == platform::HeldFile::State::Missing && !platform::process_may_run(*maker)))
      abandoned.push_back(entry->path());
  }
  for (const std::filesystem::path& folder : abandoned) remove_own_folder(folder);
}

std::filesystem::path temporary_folder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  return error ? std::filesystem::path() : folder;
}

}  // namespace vardelmo
