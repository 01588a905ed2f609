// Processes on Linux: a command and a worker both start through spawn().

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <limits>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "base/process.h"

extern char** environ;

namespace vardelmo::platform {
namespace {

std::string system_words(int code) { return std::generic_category().message(code); }

// A file descriptor, closed with the object.
class Descriptor {
 public:
  Descriptor() = default;
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int* put() { return &fd_; }
  void reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// Both ends close on exec: the child gets its own copies through dup2 only.
bool open_pipe(Descriptor& read_end, Descriptor& write_end) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  *read_end.put() = ends[0];
  *write_end.put() = ends[1];
  return true;
}

// posix_spawn's file actions and attributes, destroyed with the object when
// they were made at all.
template <typename Object, int (*initialise)(Object*), int (*destroy)(Object*)>
class SpawnSetting {
 public:
  SpawnSetting() : failure_(initialise(&object_)) {}
  ~SpawnSetting() {
    if (failure_ == 0) destroy(&object_);
  }
  SpawnSetting(const SpawnSetting&) = delete;
  SpawnSetting& operator=(const SpawnSetting&) = delete;
  /// The error code of making it; 0 when it was made.
  int failure() const { return failure_; }
  Object* get() { return &object_; }

 private:
  Object object_;
  int failure_;
};
using SpawnActions = SpawnSetting<posix_spawn_file_actions_t, posix_spawn_file_actions_init,
                                  posix_spawn_file_actions_destroy>;
using SpawnAttributes =
    SpawnSetting<posix_spawnattr_t, posix_spawnattr_init, posix_spawnattr_destroy>;

// Where one of a child's standard streams goes: a file opened for it with
// `flags`, or else a descriptor of ours.
struct ChildStream {
  const char* file = nullptr;
  int flags = 0;
  int descriptor = -1;
};

struct Launch {
  const char* program = nullptr;
  // The program's name is looked up on the search path.
  bool search_path = false;
  char* const* arguments = nullptr;
  ChildStream streams[3];
  // Its own process group, and the signals at their defaults: the shell may
  // ignore or catch signals that a command should meet as any program does.
  bool own_group = false;
};

int set_own_group(posix_spawnattr_t* attributes) {
  sigset_t defaults, none;
  if (sigemptyset(&defaults) != 0 || sigemptyset(&none) != 0) return errno;
  for (int signal : {SIGINT, SIGPIPE, SIGXFSZ})
    if (sigaddset(&defaults, signal) != 0) return errno;
  int failure = posix_spawnattr_setsigdefault(attributes, &defaults);
  if (failure == 0) failure = posix_spawnattr_setsigmask(attributes, &none);
  if (failure == 0) failure = posix_spawnattr_setpgroup(attributes, 0);
  if (failure == 0)
    failure = posix_spawnattr_setflags(
        attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  return failure;
}

// Starts `launch`: 0 and the child's id, or the system's error code.
int spawn(const Launch& launch, pid_t& child) {
  SpawnActions actions;
  if (actions.failure() != 0) return actions.failure();
  for (int stream = 0; stream < 3; ++stream) {
    const ChildStream& to = launch.streams[stream];
    const int failure =
        to.file != nullptr
            ? posix_spawn_file_actions_addopen(actions.get(), stream, to.file, to.flags, 0600)
            : posix_spawn_file_actions_adddup2(actions.get(), to.descriptor, stream);
    if (failure != 0) return failure;
  }
  SpawnAttributes attributes;
  if (attributes.failure() != 0) return attributes.failure();
  if (launch.own_group) {
    if (const int failure = set_own_group(attributes.get()); failure != 0) return failure;
  }
  return (launch.search_path ? posix_spawnp : posix_spawn)(
      &child, launch.program, actions.get(), attributes.get(), launch.arguments, environ);
}

// Reads both pipes to their ends, whichever the command fills first: a
// command blocked on a full pipe would never end.
void drain(Descriptor& output, Descriptor& errors, CommandOutcome& outcome) {
  pollfd ends[2] = {{output.get(), POLLIN, 0}, {errors.get(), POLLIN, 0}};
  std::string* texts[2] = {&outcome.output, &outcome.errors};
  int open_ends = 2;
  char buffer[4096];
  while (open_ends > 0) {
    if (poll(ends, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    for (int i = 0; i < 2; ++i) {
      if (ends[i].fd < 0 || ends[i].revents == 0) continue;
      const ssize_t count = read(ends[i].fd, buffer, sizeof buffer);
      if (count > 0) {
        texts[i]->append(buffer, static_cast<std::size_t>(count));
      } else if (count == 0 || errno != EINTR) {
        ends[i].fd = -1;
        --open_ends;
      }
    }
  }
}

// The workers that Ctrl+C is passed on to; the signal handler reads only
// these, which are set before it is installed and cleared after it is gone.
std::atomic<pid_t>* forwarded = nullptr;
std::size_t forwarded_slots = 0;
struct sigaction shell_interrupt_action {};

void forward_interrupt(int) {
  for (std::size_t i = 0; i < forwarded_slots; ++i) {
    const pid_t worker = forwarded[i].load();
    if (worker > 0) ::kill(worker, SIGINT);
  }
}

void set_forwarded(pid_t from, pid_t to) {
  for (std::size_t i = 0; i < forwarded_slots; ++i) {
    pid_t expected = from;
    if (forwarded[i].compare_exchange_strong(expected, to)) return;
  }
}

// The program file's path. Tools that run the program under their own
// loader (Valgrind) answer this with the program's path, where the link
// itself would start the tool; a file replaced since starts through the link.
std::string own_program() {
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  const std::string deleted = " (deleted)";
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path - 1) return "/proc/self/exe";
  std::string program(path, static_cast<std::size_t>(length));
  if (program.size() >= deleted.size() &&
      program.compare(program.size() - deleted.size(), deleted.size(), deleted) == 0)
    return "/proc/self/exe";
  return program;
}

// A descriptor for each of some processes that turns readable when the
// process ends; incomplete when the system has none to give (before Linux
// 5.3), and all closed with the object.
struct ProcessDescriptors {
  // Room for every one first, so that none is ever left unowned.
  explicit ProcessDescriptors(std::size_t processes) {
    polled.reserve(processes);
    positions.reserve(processes);
  }
  ~ProcessDescriptors() {
    for (const pollfd& each : polled) ::close(each.fd);
  }
  ProcessDescriptors(const ProcessDescriptors&) = delete;
  ProcessDescriptors& operator=(const ProcessDescriptors&) = delete;
  void add(pid_t process, std::size_t position) {
#ifdef SYS_pidfd_open
    const long descriptor = ::syscall(SYS_pidfd_open, process, 0);
#else
    const long descriptor = -1;
#endif
    if (descriptor < 0) {
      complete = false;
      return;
    }
    polled.push_back({static_cast<int>(descriptor), POLLIN, 0});
    positions.push_back(position);
  }
  std::vector<pollfd> polled;
  std::vector<std::size_t> positions;
  bool complete = true;
};

WorkerEnd end_of(int status) {
  if (!WIFSIGNALED(status)) return WorkerEnd::Exited;
  return WTERMSIG(status) == SIGINT ? WorkerEnd::Interrupted : WorkerEnd::Died;
}

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

bool WorkerProcess::start(const std::string& input, const std::string& output,
                          const std::string& errors, std::string& reason) {
  kill_and_reap();
  const std::string program = own_program();
  char name[] = "vardelmo";
  char* arguments[] = {name, nullptr};
  Launch launch;
  launch.program = program.c_str();
  launch.arguments = arguments;
  launch.streams[STDIN_FILENO] = {input.c_str(), O_RDONLY};
  launch.streams[STDOUT_FILENO] = {output.c_str(), O_WRONLY | O_CREAT | O_TRUNC};
  launch.streams[STDERR_FILENO] = {errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC};
  pid_t worker = 0;
  if (const int failure = spawn(launch, worker); failure != 0) {
    reason = system_words(failure);
    return false;
  }
  id_ = worker;
  set_forwarded(0, worker);
  return true;
}

void WorkerProcess::kill_and_reap() {
  if (id_ == kNone) return;
  const pid_t worker = static_cast<pid_t>(id_);
  set_forwarded(worker, 0);
  ::kill(worker, SIGKILL);
  int status = 0;
  while (::waitpid(worker, &status, 0) < 0 && errno == EINTR) {
  }
  id_ = kNone;
}

std::optional<std::size_t> WorkerProcess::wait_for_any(std::vector<WorkerProcess>& workers,
                                                       WorkerEnd& how,
                                                       std::chrono::milliseconds at_most) {
  auto reap = [&](std::size_t position) {
    const pid_t worker = static_cast<pid_t>(workers[position].id_);
    // Out of the Ctrl+C list before its number can go to another process.
    set_forwarded(worker, 0);
    int status = 0;
    pid_t reaped = 0;
    while ((reaped = ::waitpid(worker, &status, 0)) < 0 && errno == EINTR) {
    }
    workers[position].id_ = kNone;
    // One reaped elsewhere ended no one knows how.
    how = reaped < 0 ? WorkerEnd::Died : end_of(status);
    return position;
  };
  // One wait, with a time limit and no signal, for these workers alone,
  // whatever other children the process has.
  ProcessDescriptors ends(workers.size());
  for (std::size_t i = 0; i < workers.size() && ends.complete; ++i)
    if (workers[i].running()) ends.add(static_cast<pid_t>(workers[i].id_), i);
  if (ends.complete) {
    const int ready = ::poll(ends.polled.data(), ends.polled.size(),
                             static_cast<int>(std::min<std::chrono::milliseconds::rep>(
                                 at_most.count(), std::numeric_limits<int>::max())));
    for (std::size_t i = 0; ready > 0 && i < ends.polled.size(); ++i)
      if (ends.polled[i].revents != 0) return reap(ends.positions[i]);
    // The time passed, or a signal (Ctrl+C) came first.
    return std::nullopt;
  }
  // A system without such descriptors: each worker is asked in turn.
  const auto until = std::chrono::steady_clock::now() + at_most;
  do {
    for (std::size_t i = 0; i < workers.size(); ++i) {
      if (!workers[i].running()) continue;
      siginfo_t info{};
      const int asked =
          ::waitid(P_PID, static_cast<id_t>(workers[i].id_), &info, WEXITED | WNOHANG | WNOWAIT);
      if ((asked == 0 && info.si_pid != 0) || (asked != 0 && errno == ECHILD)) return reap(i);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < until);
  return std::nullopt;
}

WorkerInterrupts::WorkerInterrupts(std::size_t workers) {
  forwarded = new std::atomic<pid_t>[workers];
  for (std::size_t i = 0; i < workers; ++i) forwarded[i] = 0;
  forwarded_slots = workers;
  struct sigaction action {};
  action.sa_handler = forward_interrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &shell_interrupt_action);
}

WorkerInterrupts::~WorkerInterrupts() {
  sigaction(SIGINT, &shell_interrupt_action, nullptr);
  forwarded_slots = 0;
  delete[] forwarded;
  forwarded = nullptr;
}

namespace {
volatile std::sig_atomic_t interrupt_raised = 0;
struct sigaction noted_interrupt_action {};
void note_interrupt(int) { interrupt_raised = 1; }
}  // namespace

InterruptFlag::InterruptFlag() {
  interrupt_raised = 0;
  struct sigaction action {};
  action.sa_handler = note_interrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &noted_interrupt_action);
}

InterruptFlag::~InterruptFlag() { sigaction(SIGINT, &noted_interrupt_action, nullptr); }

bool InterruptFlag::raised() const { return interrupt_raised != 0; }

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

std::string program_path() {
  // Another machine has no use for the link; a replaced file has no path.
  const std::string program = own_program();
  return program == "/proc/self/exe" ? std::string() : program;
}

bool output_is_terminal() { return ::isatty(STDOUT_FILENO) != 0; }

bool input_is_terminal() { return ::isatty(STDIN_FILENO) != 0; }

void end_crashes_quietly() {}

bool cap_memory_growth(std::size_t megabytes, std::string& reason) {
  // The address space held now: the first number of statm, in pages.
  Descriptor statm;
  *statm.put() = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  char text[64] = {};
  const ssize_t got = statm.get() < 0 ? -1 : ::read(statm.get(), text, sizeof text - 1);
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

CommandOutcome run_command(const std::vector<std::string>& command) {
  CommandOutcome outcome;
  if (command.empty()) return outcome;
  std::vector<char*> arguments;
  for (const std::string& argument : command) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);

  Descriptor output_read, output_write, errors_read, errors_write;
  if (!open_pipe(output_read, output_write) || !open_pipe(errors_read, errors_write)) {
    outcome.errors = system_words(errno);
    return outcome;
  }
  Launch launch;
  launch.program = arguments[0];
  launch.search_path = true;
  launch.arguments = arguments.data();
  launch.streams[STDIN_FILENO] = {"/dev/null", O_RDONLY};
  launch.streams[STDOUT_FILENO].descriptor = output_write.get();
  launch.streams[STDERR_FILENO].descriptor = errors_write.get();
  launch.own_group = true;
  pid_t child = 0;
  const int failure = spawn(launch, child);
  output_write.reset();
  errors_write.reset();
  if (failure != 0) {
    outcome.errors = system_words(failure);
    return outcome;
  }
  outcome.started = true;
  drain(output_read, errors_read, outcome);
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return outcome;
  }
  if (WIFEXITED(status)) outcome.exit_code = WEXITSTATUS(status);
  return outcome;
}

}  // namespace vardelmo::platform
