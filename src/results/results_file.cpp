#include "results/results_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <utility>


namespace vardelmo {
namespace {

constexpr std::uint32_t kPending = UINT32_MAX;
constexpr std::uint32_t kNoRow = UINT32_MAX - 1;

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, CloseFile>;

bool put(std::FILE* file, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

/// The system's words for the failure that errno holds.
std::string last_failure() { return std::generic_category().message(errno); }

}  // namespace

ResultsFile::ResultsFile(std::string path, std::string_view header, std::string solver,
                         std::size_t entries)
    : path_(std::move(path)),
      header_(header),
      // A crash or a full disk in the middle of a rewrite must not cost the
      // rows already on disk: it is written beside the file, then put in
      // its place.
      temporary_(path_ + ".tmp"),
      solver_(std::move(solver)),
      slots_(entries, kPending),
      done_bytes_(header.size() + std::strlen(platform::line_end)) {
  std::error_code error;
  native_path_ = platform::native_path(path_, error);
  native_temporary_ = platform::native_path(temporary_, error);
}

std::uint64_t ResultsFile::line_size(std::size_t entry) const {
  if (slots_[entry] >= kNoRow) return 0;
  return solver_.size() + 1 + result_rows_[slots_[entry]].size() + std::strlen(platform::line_end);
}

ResultsFile::Update ResultsFile::finish(std::size_t entry, std::optional<std::string_view> row) {
  if (entry >= slots_.size() || slots_[entry] != kPending) return Update::Unchanged;
  // Where the entry's line goes: after those of the finished entries before it.
  std::uint64_t offset = done_bytes_;
  for (std::size_t before = done_; before < entry; ++before) offset += line_size(before);
  slots_[entry] = row ? static_cast<std::uint32_t>(result_rows_.size()) : kNoRow;
  if (row) result_rows_.push_back(*row);
  while (done_ < slots_.size() && slots_[done_] != kPending) done_bytes_ += line_size(done_++);
  end_ = std::max(end_, entry + 1);
  // Without a row the file's content stays the same; before the first row
  // there is none, and a file of an earlier batch stays until then.
  if (!row) return Update::Unchanged;

  // In entry order, this line is the last one unless entries after it
  // finished first: those few lines move down.
  std::string lines;
  for (std::size_t next = entry; next < end_; ++next) {
    if (slots_[next] >= kNoRow) continue;
    lines.append(solver_).append(";").append(result_rows_[slots_[next]]).append(platform::line_end);
  }
  const bool written = (stamp_ && write_in_place(offset, lines)) || rewrite_whole();
  behind_ = !written;
  return written ? Update::Written : Update::Failed;
}

bool ResultsFile::write_in_place(std::uint64_t offset, const std::string& lines) {
  // A temporary file beside it is a rewrite that did not complete (ours, if
  // taking it away failed, or another writer's): what is on disk may not be
  // what this batch wrote, and a rewrite clears it.
  std::error_code error;
  if (std::filesystem::exists(std::filesystem::symlink_status(native_temporary_, error)))
    return false;
  File file(std::fopen(path_.c_str(), "r+b"));
  if (!file) return false;
  // One write for the whole update, so that no reader, and no crash of the
  // shell, sees part of a line.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  const std::optional<platform::FileStamp> found = platform::file_stamp(file.get());
  if (found != stamp_ || offset > static_cast<std::uint64_t>(LONG_MAX) ||
      std::fseek(file.get(), static_cast<long>(offset), SEEK_SET) != 0)
    return false;
  const std::uint64_t size_before = found->size;
  bool written = put(file.get(), lines) && std::fflush(file.get()) == 0;
  stamp_ = written ? platform::file_stamp(file.get()) : std::nullopt;
  written = std::fclose(file.release()) == 0 && written;
  if (written) return true;
  // A full disk or the file-size limit stopped it: take back what got
  // through, so that no line is cut.
  stamp_.reset();
  std::filesystem::resize_file(native_path_, size_before, error);
  return false;
}

bool ResultsFile::put_all(std::FILE* file) const {
  // Row by row through the stream's buffer: no second copy of every row.
  bool written = put(file, header_) && put(file, platform::line_end);
  for (std::size_t entry = 0; written && entry < end_; ++entry) {
    if (slots_[entry] >= kNoRow) continue;
    written = put(file, solver_) && put(file, ";") && put(file, result_rows_[slots_[entry]]) &&
              put(file, platform::line_end);
  }
  return written && std::fflush(file) == 0;
}

bool ResultsFile::rewrite_whole() {
  stamp_.reset();
  File file(std::fopen(temporary_.c_str(), "wb"));
  if (!file) {
    failure_ = last_failure();
    return false;
  }
  bool written = put_all(file.get());
  // Renaming keeps the stamp.
  const std::optional<platform::FileStamp> stamp =
      written ? platform::file_stamp(file.get()) : std::nullopt;
  written = std::fclose(file.release()) == 0 && written;
  if (!written) failure_ = last_failure();
  if (written && platform::replace_file(temporary_, path_, failure_)) {
    stamp_ = stamp;
    return true;
  }
  std::remove(temporary_.c_str());
  return false;
}

bool ResultsFile::write_copy(const std::string& path, std::string& reason) const {
  File file(std::fopen(path.c_str(), "wb"));
  bool written = file && put_all(file.get());
  written = file && std::fclose(file.release()) == 0 && written;
  if (!written) reason = last_failure();
  return written;
}

std::string ResultsFile::lines() const {
  std::string text = std::string(header_) + "\n";
  for (std::size_t entry = 0; entry < end_; ++entry)
    if (slots_[entry] < kNoRow)
      text.append(solver_).append(";").append(result_rows_[slots_[entry]]).append("\n");
  return text;
}

}  // namespace vardelmo
