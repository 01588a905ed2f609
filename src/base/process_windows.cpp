// Processes on Windows: workers start through spawn(); other programs are
// never run here.

#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/platform.h"
#include "base/process.h"

namespace vardelmo::platform {
namespace {

// What a process started from a console ends with when Ctrl+C ends it.
constexpr DWORD kControlCExit = 0xC000013A;

HANDLE handle_of(std::intptr_t id) { return reinterpret_cast<HANDLE>(id); }

std::string system_words(DWORD code) { return std::system_category().message(static_cast<int>(code)); }

// A handle, closed with the object.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

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

// Starts `program` with no argument and the standard streams given;
// its process handle, or null with the system's words in `reason`.
HANDLE spawn(const std::wstring& program, const Handle& input, const Handle& output,
             const Handle& errors, std::string& reason) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = output.get();
  startup.hStdError = errors.get();
  PROCESS_INFORMATION process{};
  std::wstring command_line = L"\"" + program + L"\"";
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &process)) {
    reason = system_words(GetLastError());
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
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

std::string host_name() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) != 0 ? std::string(name, size) : std::string("?");
}

bool WorkerProcess::start(const std::string& input, const std::string& output,
                          const std::string& errors, std::string& reason) {
  kill_and_reap();
  std::wstring program = own_program();
  if (program.empty()) {
    reason = system_words(GetLastError());
    return false;
  }
  const Handle task(open_for_worker(input, false, reason));
  if (!task.valid()) return false;
  const Handle written(open_for_worker(output, true, reason));
  if (!written.valid()) return false;
  const Handle complaints(open_for_worker(errors, true, reason));
  if (!complaints.valid()) return false;
  HANDLE worker = spawn(program, task, written, complaints, reason);
  if (worker == nullptr) return false;
  id_ = reinterpret_cast<std::intptr_t>(worker);
  return true;
}

void WorkerProcess::kill_and_reap() {
  if (id_ == kNone) return;
  TerminateProcess(handle_of(id_), 1);
  WaitForSingleObject(handle_of(id_), INFINITE);
  CloseHandle(handle_of(id_));
  id_ = kNone;
}

std::optional<std::size_t> WorkerProcess::wait_for_any(std::vector<WorkerProcess>& workers,
                                                       WorkerEnd& how,
                                                       std::chrono::milliseconds at_most) {
  std::vector<HANDLE> handles;
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < workers.size(); ++i) {
    if (!workers[i].running()) continue;
    handles.push_back(handle_of(workers[i].id_));
    positions.push_back(i);
  }
  // One wait takes at most MAXIMUM_WAIT_OBJECTS handles; more take turns.
  const bool turns = handles.size() > MAXIMUM_WAIT_OBJECTS;
  const auto until = std::chrono::steady_clock::now() + at_most;
  for (std::size_t first = 0;; first = first + MAXIMUM_WAIT_OBJECTS < handles.size()
                                           ? first + MAXIMUM_WAIT_OBJECTS
                                           : 0) {
    const DWORD count =
        static_cast<DWORD>(std::min<std::size_t>(handles.size() - first, MAXIMUM_WAIT_OBJECTS));
    const DWORD wait = turns ? 20
                             : static_cast<DWORD>(std::min<std::chrono::milliseconds::rep>(
                                   std::max<std::chrono::milliseconds::rep>(at_most.count(), 0),
                                   INFINITE - 1));
    const DWORD result = WaitForMultipleObjects(count, handles.data() + first, FALSE, wait);
    if (result >= WAIT_OBJECT_0 + count) {
      if (!turns || std::chrono::steady_clock::now() >= until) return std::nullopt;
      continue;
    }
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

HeldFile::HeldFile(const std::filesystem::path& path) {
  // Made and opened in one step, shared with no one and handed to no child.
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) handle_ = reinterpret_cast<std::intptr_t>(file);
}

HeldFile::~HeldFile() {
  if (held()) CloseHandle(handle_of(handle_));
}

HeldFile::State HeldFile::state(const std::filesystem::path& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? State::Missing
                                                                           : State::Held;
  }
  CloseHandle(file);
  return State::Free;
}

bool rename_folder_to_free_name(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
  // Without MOVEFILE_REPLACE_EXISTING it fails where `to` exists.
  return MoveFileExW(from.c_str(), to.c_str(), 0) != 0;
}

bool process_may_run(unsigned long id) {
  if (id > 0xFFFFFFFFul) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

std::string program_path() {
  std::error_code error;
  std::string path = narrow_name(own_program(), error);
  return error ? std::string() : path;
}

bool output_is_terminal() { return _isatty(_fileno(stdout)) != 0; }

bool input_is_terminal() { return _isatty(_fileno(stdin)) != 0; }

void end_crashes_quietly() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

bool cap_memory_growth(std::size_t megabytes, std::string& reason) {
  PROCESS_MEMORY_COUNTERS_EX held{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&held),
                            sizeof held)) {
    reason = system_words(GetLastError());
    return false;
  }
  HANDLE created = CreateJobObjectW(nullptr, nullptr);
  if (created == nullptr) {
    reason = system_words(GetLastError());
    return false;
  }
  // The job outlives its handle while this process is in it.
  const Handle job(created);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY;
  limits.ProcessMemoryLimit = held.PrivateUsage + static_cast<SIZE_T>(megabytes) * 1024 * 1024;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                               sizeof limits) ||
      !AssignProcessToJobObject(job.get(), GetCurrentProcess())) {
    reason = system_words(GetLastError());
    return false;
  }
  return true;
}

CommandOutcome run_command(const std::vector<std::string>&) {
  CommandOutcome outcome;
  outcome.errors = "este sistema não executa outros programas";
  return outcome;
}

}  // namespace vardelmo::platform
