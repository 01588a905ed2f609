// The process side of the platform: reading a worker's task, starting
// workers, waiting for them and passing Ctrl+C on to them.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "base/platform.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <cstdio>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;
#endif

namespace vardelmo::platform {

WorkerProcess::~WorkerProcess() { kill_and_reap(); }

WorkerProcess& WorkerProcess::operator=(WorkerProcess&& other) noexcept {
  if (this != &other) {
    kill_and_reap();
    id_ = other.id_;
    other.id_ = kNone;
  }
  return *this;
}

#ifdef _WIN32

namespace {

// What a process started from a console ends with when Ctrl+C ends it.
constexpr DWORD kControlCExit = 0xC000013A;

HANDLE handle_of(std::intptr_t id) { return reinterpret_cast<HANDLE>(id); }

std::string system_words(DWORD code) { return std::system_category().message(static_cast<int>(code)); }

std::wstring own_program() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// Inheritable only for the moment of the one CreateProcess that hands it
// on: the shell starts its workers one at a time from one thread.
HANDLE open_for_worker(const std::string& path, bool write, std::string& reason) {
  std::error_code error;
  const std::filesystem::path native = native_path(path, error);
  if (error) {
    reason = error.message();
    return INVALID_HANDLE_VALUE;
  }
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE handle = CreateFileW(native.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                              write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) reason = path + ": " + system_words(GetLastError());
  return handle;
}

BOOL WINAPI keep_shell_on_ctrl_c(DWORD event) {
  // The workers share the console and get the event themselves.
  return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? TRUE : FALSE;
}

}  // namespace

std::optional<std::string> standard_input_request(std::string_view magic) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == INVALID_HANDLE_VALUE || input == nullptr || GetFileType(input) != FILE_TYPE_DISK)
    return std::nullopt;
  LARGE_INTEGER start{};
  LARGE_INTEGER size{};
  if (!SetFilePointerEx(input, LARGE_INTEGER{}, &start, FILE_CURRENT) ||
      !GetFileSizeEx(input, &size) || size.QuadPart < static_cast<LONGLONG>(magic.size()))
    return std::nullopt;
  std::string content(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(done & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<unsigned long long>(done) >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
    if (!ReadFile(input, content.data() + done, want, &got, &at) || got == 0) break;
    done += got;
    // The magic decides at once: a user's own input file is left as it was.
    if (done >= magic.size() && content.compare(0, magic.size(), magic) != 0) break;
  }
  SetFilePointerEx(input, start, nullptr, FILE_BEGIN);
  if (done != content.size() || content.compare(0, magic.size(), magic) != 0) return std::nullopt;
  return content;
}

unsigned long process_id() { return GetCurrentProcessId(); }

bool WorkerProcess::start(const std::string& input, const std::string& output,
                          const std::string& errors, std::string& reason) {
  kill_and_reap();
  std::wstring program = own_program();
  if (program.empty()) {
    reason = system_words(GetLastError());
    return false;
  }
  HANDLE streams[3] = {open_for_worker(input, false, reason), INVALID_HANDLE_VALUE,
                       INVALID_HANDLE_VALUE};
  if (streams[0] != INVALID_HANDLE_VALUE) streams[1] = open_for_worker(output, true, reason);
  if (streams[1] != INVALID_HANDLE_VALUE) streams[2] = open_for_worker(errors, true, reason);
  bool started = false;
  if (streams[2] != INVALID_HANDLE_VALUE) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = streams[0];
    startup.hStdOutput = streams[1];
    startup.hStdError = streams[2];
    PROCESS_INFORMATION process{};
    std::wstring command_line = L"\"" + program + L"\"";
    started = CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0,
                             nullptr, nullptr, &startup, &process) != 0;
    if (started) {
      CloseHandle(process.hThread);
      id_ = reinterpret_cast<std::intptr_t>(process.hProcess);
    } else {
      reason = system_words(GetLastError());
    }
  }
  for (HANDLE stream : streams)
    if (stream != INVALID_HANDLE_VALUE) CloseHandle(stream);
  return started;
}

void WorkerProcess::kill_and_reap() {
  if (id_ == kNone) return;
  TerminateProcess(handle_of(id_), 1);
  WaitForSingleObject(handle_of(id_), INFINITE);
  CloseHandle(handle_of(id_));
  id_ = kNone;
}

std::size_t WorkerProcess::wait_for_any(std::vector<WorkerProcess>& workers, WorkerEnd& how) {
  std::vector<HANDLE> handles;
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < workers.size(); ++i) {
    if (!workers[i].running()) continue;
    handles.push_back(handle_of(workers[i].id_));
    positions.push_back(i);
  }
  // One wait takes at most MAXIMUM_WAIT_OBJECTS handles; more take turns.
  for (std::size_t first = 0;; first = first + MAXIMUM_WAIT_OBJECTS < handles.size()
                                           ? first + MAXIMUM_WAIT_OBJECTS
                                           : 0) {
    const DWORD count =
        static_cast<DWORD>(std::min<std::size_t>(handles.size() - first, MAXIMUM_WAIT_OBJECTS));
    const DWORD wait = handles.size() > MAXIMUM_WAIT_OBJECTS ? 20 : INFINITE;
    const DWORD result = WaitForMultipleObjects(count, handles.data() + first, FALSE, wait);
    if (result >= WAIT_OBJECT_0 + count) continue;
    const std::size_t position = positions[first + (result - WAIT_OBJECT_0)];
    WorkerProcess& worker = workers[position];
    DWORD code = 0;
    GetExitCodeProcess(handle_of(worker.id_), &code);
    how = code == kControlCExit ? WorkerEnd::Interrupted
          : code >= 0xC0000000  ? WorkerEnd::Died
                                : WorkerEnd::Exited;
    CloseHandle(handle_of(worker.id_));
    worker.id_ = kNone;
    return position;
  }
}

WorkerInterrupts::WorkerInterrupts(std::size_t) { SetConsoleCtrlHandler(keep_shell_on_ctrl_c, TRUE); }

WorkerInterrupts::~WorkerInterrupts() { SetConsoleCtrlHandler(keep_shell_on_ctrl_c, FALSE); }

namespace {
volatile LONG interrupt_raised = 0;
BOOL WINAPI note_ctrl_c(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  interrupt_raised = 1;
  return TRUE;
}
}  // namespace

InterruptFlag::InterruptFlag() {
  interrupt_raised = 0;
  SetConsoleCtrlHandler(note_ctrl_c, TRUE);
}

InterruptFlag::~InterruptFlag() { SetConsoleCtrlHandler(note_ctrl_c, FALSE); }

bool InterruptFlag::raised() const { return interrupt_raised != 0; }

std::string program_path() {
  std::error_code error;
  std::string path = narrow_name(own_program(), error);
  return error ? std::string() : path;
}

bool output_is_terminal() { return _isatty(_fileno(stdout)) != 0; }

void end_crashes_quietly() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

#else

namespace {

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

bool WorkerProcess::start(const std::string& input, const std::string& output,
                          const std::string& errors, std::string& reason) {
  kill_and_reap();
  posix_spawn_file_actions_t streams;
  if (int error = posix_spawn_file_actions_init(&streams); error != 0) {
    reason = std::strerror(error);
    return false;
  }
  posix_spawn_file_actions_addopen(&streams, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&streams, STDOUT_FILENO, output.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&streams, STDERR_FILENO, errors.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  char name[] = "vardelmo";
  char* arguments[] = {name, nullptr};
  pid_t worker = 0;
  const int error =
      posix_spawn(&worker, own_program().c_str(), &streams, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&streams);
  if (error != 0) {
    reason = std::strerror(error);
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

std::size_t WorkerProcess::wait_for_any(std::vector<WorkerProcess>& workers, WorkerEnd& how) {
  auto position_of = [&workers](pid_t pid) {
    for (std::size_t i = 0; i < workers.size(); ++i)
      if (workers[i].id_ == pid) return i;
    return workers.size();
  };
  auto reap = [&](std::size_t position) {
    const pid_t worker = static_cast<pid_t>(workers[position].id_);
    // Out of the Ctrl+C list before its number can go to another process.
    set_forwarded(worker, 0);
    int status = 0;
    while (::waitpid(worker, &status, 0) < 0 && errno == EINTR) {
    }
    workers[position].id_ = kNone;
    how = end_of(status);
    return position;
  };
  for (;;) {
    siginfo_t info{};
    // Which child ended, without reaping it: it may not be one of ours.
    if (::waitid(P_ALL, 0, &info, WEXITED | WNOWAIT) != 0) {
      if (errno == EINTR) continue;
      break;
    }
    const std::size_t position = position_of(info.si_pid);
    if (position < workers.size()) return reap(position);
    break;
  }
  // Some other child of this process ended and is left for its owner, or
  // children are reaped elsewhere: ask each worker in turn.
  for (;;) {
    for (std::size_t i = 0; i < workers.size(); ++i) {
      if (!workers[i].running()) continue;
      siginfo_t info{};
      const int asked =
          ::waitid(P_PID, static_cast<id_t>(workers[i].id_), &info, WEXITED | WNOHANG | WNOWAIT);
      if (asked == 0 && info.si_pid != 0) return reap(i);
      if (asked != 0 && errno == ECHILD) {
        workers[i].id_ = kNone;
        how = WorkerEnd::Died;
        return i;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
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

std::string program_path() {
  // Another machine has no use for the link; a replaced file has no path.
  const std::string program = own_program();
  return program == "/proc/self/exe" ? std::string() : program;
}

bool output_is_terminal() { return ::isatty(STDOUT_FILENO) != 0; }

void end_crashes_quietly() {}

#endif

}  // namespace vardelmo::platform
