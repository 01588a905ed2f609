#pragma once
// Everything that differs between the Linux and the Windows program lives
// here and in platform.cpp, so the rest of the code stays portable.

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vardelmo::platform {

#ifdef _WIN32
inline constexpr char path_separator = '\\';
inline constexpr const char* gurobi_library_file = "gurobi110.dll";
/// What a text-mode stream writes for "\n"; files written byte by byte use it.
inline constexpr const char* line_end = "\r\n";
#else
inline constexpr char path_separator = '/';
inline constexpr const char* gurobi_library_file = "libgurobi110.so";
inline constexpr const char* line_end = "\n";
#endif

/// Makes the process Portuguese for every locale category but numbers: the
/// solver libraries read model files with the C library's number parsing,
/// which must keep the decimal point. Falls back to the current locale when
/// no Portuguese one is installed.
void set_process_locale();

/// strtod under the Portuguese numeric convention (decimal comma). Sets
/// *range_error when the magnitude does not fit a double. Returns the number
/// of characters consumed (0 when no number starts the text).
std::size_t parse_double_portuguese(const std::string& text, double* value,
                                    bool* range_error);

/// printf's "%f" under the Portuguese numeric convention: 0.5 -> "0,500000".
std::string format_fixed_portuguese(double value);

/// Puts `from` in the place of `to`, replacing it in one step.
[[nodiscard]] bool replace_file(const std::string& from, const std::string& to);

/// Which file an open stream is, and how it stands: another file, or the
/// same one written by anyone since, gives another stamp (to the file
/// system's clock resolution). Renaming the file keeps its stamp.
struct FileStamp {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  std::uint64_t size = 0;
  std::uint64_t modified = 0;  // in the system's own units
  bool operator==(const FileStamp& other) const {
    return volume == other.volume && file == other.file && size == other.size &&
           modified == other.modified;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

/// The stamp of `file` as written so far (flush it first); nullopt when the
/// system cannot tell.
[[nodiscard]] std::optional<FileStamp> file_stamp(std::FILE* file);

/// Makes a write beyond the process's file-size limit fail as a full disk
/// does, instead of ending the process with every result not yet written.
void keep_running_past_file_size_limit();

/// A path text in the process code page as the file system's native path.
/// The conversion is exact; a text that has no native form sets `error`.
std::filesystem::path native_path(const std::string& text, std::error_code& error);

/// A name the file system gave, in the process code page. Exact as well: a
/// character the code page lacks sets `error`; no look-alike is ever used.
std::string narrow_name(const std::filesystem::path& name, std::error_code& error);

/// True for a folder text that is a drive designator alone ("C:"): it names
/// the drive's current folder, and a name follows it without a separator.
/// Never on Linux, where "C:" is an ordinary name.
bool is_bare_drive(const std::string& folder);

/// The description of a caught error in the process code page.
std::string error_text(const std::exception& error);

/// A shared library loaded from one file, by its path only: never looked up
/// on the system's library search path. Unloaded when the object goes.
class SharedLibrary {
 public:
  /// Loads `file`; on failure loaded() is false and `reason` holds the
  /// system's words.
  SharedLibrary(const std::filesystem::path& file, std::string& reason);
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  /// The address of the exported function `name`; null, with the system's
  /// reason in `reason`, when the library has none.
  [[nodiscard]] void* function(const char* name, std::string& reason) const;

 private:
  void* handle_ = nullptr;
  std::filesystem::path file_;
};

/// Everything on standard input when it is a regular file that starts with
/// `magic`, read as bytes; otherwise nothing, and nothing is consumed. This
/// is how a worker process (below) learns its task: it takes no argument
/// and no environment variable, so users never see one.
[[nodiscard]] std::optional<std::string> standard_input_request(std::string_view magic);

/// This process's number, as the system shows it.
[[nodiscard]] unsigned long process_id();

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
  ~WorkerProcess();
  WorkerProcess(WorkerProcess&& other) noexcept : id_(other.id_) { other.id_ = kNone; }
  WorkerProcess& operator=(WorkerProcess&& other) noexcept;
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;

  /// False, with the system's words in `reason`, when it did not start.
  [[nodiscard]] bool start(const std::string& input, const std::string& output,
                           const std::string& errors, std::string& reason);
  [[nodiscard]] bool running() const { return id_ != kNone; }

  /// Blocks until one of the running `workers` ends (at least one must be
  /// running); its position. It is no longer running then.
  [[nodiscard]] static std::size_t wait_for_any(std::vector<WorkerProcess>& workers,
                                                WorkerEnd& how);

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

/// The path of this program's file, for starting it elsewhere; empty when
/// it has none any more (replaced while running).
[[nodiscard]] std::string program_path();

/// True when standard output goes to a terminal, where a line can be
/// redrawn in place.
[[nodiscard]] bool output_is_terminal();

/// For a worker: a crash ends it without a dialog box or a debugger waiting
/// for someone, so that the batch learns of it at once.
void end_crashes_quietly();

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
