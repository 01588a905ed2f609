// This process on Linux: what it is and what it holds, as other processes
// and its own shell see it.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <system_error>

#include "base/process.h"

namespace vardelmo::platform {
namespace {

std::string system_words(int code) { return std::generic_category().message(code); }

}  // namespace

std::optional<std::string> standard_input_request(std::string_view magic) {
  struct stat info {};
  if (::fstat(STDIN_FILENO, &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_size < static_cast<off_t>(magic.size()))
    return std::nullopt;
  // Read at fixed offsets, so that a user's own input file is not consumed.
  std::string content(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    const std::size_t want = done < magic.size() ? magic.size() - done : content.size() - done;
    const ssize_t got = ::pread(STDIN_FILENO, content.data() + done, want, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    done += static_cast<std::size_t>(got);
    if (done == magic.size() && content.compare(0, magic.size(), magic) != 0) return std::nullopt;
  }
  return content;
}

unsigned long process_id() { return static_cast<unsigned long>(::getpid()); }

std::string host_name() {
  char name[256] = {};
  // A name cut to the buffer may lack its end: the buffer keeps one more byte.
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "?";
  return name;
}

HeldFile::HeldFile(const std::filesystem::path& path) {
  // Made under another name and renamed once held: no process ever finds
  // the file at `path` free while its maker runs.
  const std::filesystem::path making = path.native() + ".new";
  const int descriptor = ::open(making.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (descriptor < 0) return;
  if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0 || ::rename(making.c_str(), path.c_str()) != 0) {
    ::unlink(making.c_str());
    ::close(descriptor);
    return;
  }
  handle_ = descriptor;
}

HeldFile::~HeldFile() {
  if (held()) ::close(static_cast<int>(handle_));
}

HeldFile::State HeldFile::state(const std::filesystem::path& path) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return errno == ENOENT ? State::Missing : State::Held;
  // Taken, it goes again with the descriptor.
  const bool taken = ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
  ::close(descriptor);
  return taken ? State::Free : State::Held;
}

bool rename_folder_to_free_name(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
  // rename() replaces an empty folder only, and never one with a file in it.
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool process_may_run(unsigned long id) {
  // 0 and the negative numbers of kill() name groups of processes.
  if (id == 0 || id > static_cast<unsigned long>(std::numeric_limits<pid_t>::max())) return false;
  return ::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH;
}

bool output_is_terminal() { return ::isatty(STDOUT_FILENO) != 0; }

bool input_is_terminal() { return ::isatty(STDIN_FILENO) != 0; }

void end_crashes_quietly() {}

bool cap_memory_growth(std::size_t megabytes, std::string& reason) {
  // The address space held now: the first number of statm, in pages.
  const int statm = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  char text[64] = {};
  const ssize_t got = statm < 0 ? -1 : ::read(statm, text, sizeof text - 1);
  if (statm >= 0) ::close(statm);
  const long page = ::sysconf(_SC_PAGESIZE);
  if (got <= 0 || page <= 0) {
    reason = system_words(got < 0 ? errno : EIO);
    return false;
  }
  rlimit limit{};
  if (::getrlimit(RLIMIT_AS, &limit) != 0) {
    reason = system_words(errno);
    return false;
  }
  const rlim_t cap = std::strtoull(text, nullptr, 10) * static_cast<rlim_t>(page) +
                     static_cast<rlim_t>(megabytes) * 1024 * 1024;
  // A lower cap set from outside stays.
  if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= cap) return true;
  limit.rlim_cur = cap;
  if (::setrlimit(RLIMIT_AS, &limit) == 0) return true;
  reason = system_words(errno);
  return false;
}

}  // namespace vardelmo::platform
