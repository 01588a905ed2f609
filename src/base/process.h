#pragma once
// Starting processes, waiting for them and passing Ctrl+C on: one interface
// here, implemented once for POSIX (process_posix.cpp) and once for Windows
// (process_windows.cpp). Like platform.h, it holds platform differences only.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vardelmo::platform {

/// Everything on standard input when it is a regular file that starts with
/// `magic`, read as bytes; otherwise nothing, and nothing is consumed. This
/// is how a worker process (below) learns its task: it takes no argument
/// and no environment variable, so users never see one.
[[nodiscard]] std::optional<std::string> standard_input_request(std::string_view magic);

/// This process's number, as the system shows it.
[[nodiscard]] unsigned long process_id();

/// The name of the machine this process runs on; "?" when the system gives none.
[[nodiscard]] std::string host_name();

/// How a worker process ended.
enum class WorkerEnd {
  Exited,       // it returned or called exit, whatever its status
  Interrupted,  // Ctrl+C (SIGINT) ended it
  Died,         // anything else: a signal, an abort, an exception, killed
};

/// This program started again as a worker: no argument, standard input read
/// from `input`, standard output and error written to `output` and `errors`
/// (created or emptied). A worker still running when its object goes is
/// killed and waited for, so no worker outlives the batch that started it.
class WorkerProcess {
 public:
  WorkerProcess() = default;
  ~WorkerProcess() { kill_and_reap(); }
  WorkerProcess(WorkerProcess&& other) noexcept : id_(other.id_) { other.id_ = kNone; }
  WorkerProcess& operator=(WorkerProcess&& other) noexcept {
    if (this != &other) {
      kill_and_reap();
      id_ = other.id_;
      other.id_ = kNone;
    }
    return *this;
  }
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;

  /// False, with the system's words in `reason`, when it did not start.
  [[nodiscard]] bool start(const std::string& input, const std::string& output,
                           const std::string& errors, std::string& reason);
  [[nodiscard]] bool running() const { return id_ != kNone; }

  /// Waits until one of the running `workers` ends (at least one must be
  /// running), for about `at_most`: its position, and it is no longer
  /// running then; none when that time passed first.
  [[nodiscard]] static std::optional<std::size_t> wait_for_any(
      std::vector<WorkerProcess>& workers, WorkerEnd& how, std::chrono::milliseconds at_most);

 private:
  static constexpr std::intptr_t kNone = -1;
  void kill_and_reap();
  // The process id on Linux, the process handle on Windows.
  std::intptr_t id_ = kNone;
};

/// While it lives, Ctrl+C stops the running workers and not this process:
/// each worker's solver then ends its solve as it would in this process.
/// For a batch of at most `workers` workers at a time.
class WorkerInterrupts {
 public:
  explicit WorkerInterrupts(std::size_t workers);
  ~WorkerInterrupts();
  WorkerInterrupts(const WorkerInterrupts&) = delete;
  WorkerInterrupts& operator=(const WorkerInterrupts&) = delete;
};

/// While it lives, Ctrl+C does not end this process but is noted here.
class InterruptFlag {
 public:
  InterruptFlag();
  ~InterruptFlag();
  InterruptFlag(const InterruptFlag&) = delete;
  InterruptFlag& operator=(const InterruptFlag&) = delete;
  /// True once Ctrl+C came.
  [[nodiscard]] bool raised() const;
};

/// A file by which other processes can tell that this one still runs: it is
/// held while the object lives, and the system lets go of it when the
/// process ends, however it ends (killed, or a crash).
class HeldFile {
 public:
  /// Creates `path`, which must not exist, and holds it from the first
  /// moment it exists; held() is false when it cannot.
  explicit HeldFile(const std::filesystem::path& path);
  /// Lets go of it; the file stays.
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  [[nodiscard]] bool held() const { return handle_ != kNone; }

  enum class State { Missing, Held, Free };
  /// Whether a running process holds the file at `path`; Held as well when
  /// this process may not look (another user's).
  [[nodiscard]] static State state(const std::filesystem::path& path);

 private:
  static constexpr std::intptr_t kNone = -1;
  // The descriptor on Linux, the handle on Windows.
  std::intptr_t handle_ = kNone;
};

/// Renames the folder `from` to `to` in one step, which no other process can
/// take from it: false when `to` exists (a folder with something in it) or
/// the rename fails.
[[nodiscard]] bool rename_folder_to_free_name(const std::filesystem::path& from,
                                              const std::filesystem::path& to);

/// False when no process has the number `id` now; true when one has (maybe
/// another than the one that had it before) or this process cannot tell.
[[nodiscard]] bool process_may_run(unsigned long id);

/// The path of this program's file, for starting it elsewhere; empty when
/// it has none any more (replaced while running).
[[nodiscard]] std::string program_path();

/// True when standard output goes to a terminal, where a line can be
/// redrawn in place.
[[nodiscard]] bool output_is_terminal();

/// True when standard input comes from a terminal, which shows each line
/// typed, its line end too.
[[nodiscard]] bool input_is_terminal();

/// For a worker: a crash ends it without a dialog box or a debugger waiting
/// for someone, so that the batch learns of it at once.
void end_crashes_quietly();

/// For a worker: from now on this process may take at most `megabytes` MB
/// more than it holds now (address space on Linux; committed memory, through
/// a job object, on Windows). An allocation beyond fails. False, with the
/// system's words in `reason`, when no cap could be set.
[[nodiscard]] bool cap_memory_growth(std::size_t megabytes, std::string& reason);

/// What a command left when it ended.
struct CommandOutcome {
  /// False when it could not be started; `errors` then holds the system's
  /// words for why.
  bool started = false;
  /// Its exit code; -1 when a signal ended it.
  int exit_code = -1;
  std::string output;
  std::string errors;
};

/// Runs `command` (its first word looked up on the search path, no shell)
/// with an empty standard input, and waits for it. Its own process group
/// keeps Ctrl+C at the console away from it: a submission is never cut
/// half-way. Where the program runs no other programs (Windows), nothing
/// starts.
CommandOutcome run_command(const std::vector<std::string>& command);

}  // namespace vardelmo::platform
