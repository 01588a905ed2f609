// The platform's choices on Linux.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "base/platform.h"
#include "base/platform_names.h"

namespace vardelmo::platform {

namespace names {
const char* const kPortugueseLocales[] = {"pt_BR.UTF-8", "pt_PT.UTF-8", "portuguese", nullptr};
const char* const kGurobiLibraries[] = {"libgurobi130.so", "libgurobi120.so", "libgurobi110.so",
                                        nullptr};
const char* const kGurobiHomeLibraryFolder = "lib";
}  // namespace names

bool replace_file(const std::string& from, const std::string& to, std::string& reason) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  reason = std::generic_category().message(errno);
  return false;
}

bool seek(std::FILE* file, std::size_t offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool push_out(std::FILE* file) {
  return fsync(fileno(file)) == 0;
}

void push_out_standard_streams() {
  // A pipe or a terminal has nothing to push: its refusal is no failure.
  for (int stream : {1, 2}) fsync(stream);
}

std::optional<std::size_t> standard_stream_position(int stream) {
  const off_t position = lseek(stream, 0, SEEK_CUR);
  if (position < 0) return std::nullopt;
  return static_cast<std::size_t>(position);
}

std::optional<FileStamp> file_stamp(std::FILE* file) {
  struct stat status;
  if (fstat(fileno(file), &status) != 0) return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(status.st_dev),
                   static_cast<std::uint64_t>(status.st_ino),
                   static_cast<std::uint64_t>(status.st_size),
                   static_cast<std::uint64_t>(status.st_mtim.tv_sec) * 1000000000u +
                       static_cast<std::uint64_t>(status.st_mtim.tv_nsec)};
}

void keep_running_past_file_size_limit() {
  // The write then fails with EFBIG, which the writers handle.
  std::signal(SIGXFSZ, SIG_IGN);
}

// A Linux path is a byte string: there is nothing to convert.
std::filesystem::path native_path(const std::string& text, std::error_code& error) {
  error.clear();
  return std::filesystem::path(text);
}

std::string narrow_name(const std::filesystem::path& name, std::error_code& error) {
  error.clear();
  return name.string();
}

bool is_bare_drive(const std::string&) { return false; }

std::string error_text(const std::exception& error) { return error.what(); }

namespace {

// dlerror's words, less the file's path in front, which the caller shows.
std::string loader_reason(const std::filesystem::path& file) {
  const char* error = dlerror();
  std::string text = error != nullptr ? error : "";
  const std::string prefix = file.string() + ": ";
  if (text.compare(0, prefix.size(), prefix) == 0) text.erase(0, prefix.size());
  return text;
}

}  // namespace

SharedLibrary::SharedLibrary(const std::filesystem::path& file, std::string& reason)
    : file_(file) {
  // A path with a slash is looked up nowhere else. Everything is bound now,
  // so that a library lacking something fails here, not during a solve.
  handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) reason = loader_reason(file);
}

SharedLibrary::~SharedLibrary() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* SharedLibrary::function(const char* name, std::string& reason) const {
  dlerror();
  void* address = dlsym(handle_, name);
  if (address == nullptr) reason = loader_reason(file_);
  return address;
}

void local_time(std::time_t now, std::tm& local, long& offset_minutes) {
  localtime_r(&now, &local);
  offset_minutes = local.tm_gmtoff / 60;
}

}  // namespace vardelmo::platform
