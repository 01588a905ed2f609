#pragma once
// Everything that differs between the Linux and the Windows program lives
// here and in process.h (other processes and Ctrl+C), so the rest of the code
// stays portable.

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace vardelmo::platform {

#ifdef _WIN32
inline constexpr char path_separator = '\\';
/// What a text-mode stream writes for "\n"; files written byte by byte use it.
inline constexpr const char* line_end = "\r\n";
/// The character set of the program's texts and files (the compiler writes
/// its literals in it), as an HTML page declares it.
inline constexpr const char* text_charset = "windows-1252";
#else
inline constexpr char path_separator = '/';
inline constexpr const char* line_end = "\n";
inline constexpr const char* text_charset = "utf-8";
#endif

/// Makes the process Portuguese, where a Portuguese locale is installed, for
/// every locale category but numbers: the solver libraries read model files
/// with the C library's number parsing, which must keep the decimal point.
/// Without one the process keeps the classic locale; only the system's own
/// texts (the C library's error descriptions) then differ.
void set_process_locale();

/// strtod with the decimal comma of the program's files and answers (a
/// point ends the number, as in the Portuguese locale), whatever locales
/// the machine has. Sets *range_error when the magnitude does not fit a
/// double. Returns the number of characters consumed (0 when no number
/// starts the text).
std::size_t parse_double_portuguese(const std::string& text, double* value,
                                    bool* range_error);

/// printf's "%f" with the decimal comma: 0.5 -> "0,500000".
std::string format_fixed_portuguese(double value);

/// The Gurobi library files that the program may load, in the order it
/// looks for them: in the start folder (the working folder, which never
/// changes), the newest version first, then the same names in the library
/// folder of the installation that GUROBI_HOME names, when it is set. Each
/// holds a folder, so that loading it looks nowhere else.
std::vector<std::filesystem::path> gurobi_library_candidates();

/// The first candidate that opens for reading as a file (a folder does not
/// count); nothing when none does.
std::optional<std::filesystem::path> find_gurobi_library();

/// Puts `from` in the place of `to`, replacing it in one step.
[[nodiscard]] bool replace_file(const std::string& from, const std::string& to);
/// The same, with the system's words for why it failed in `reason`.
[[nodiscard]] bool replace_file(const std::string& from, const std::string& to,
                                std::string& reason);

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

/// Moves `file` to byte `offset`, whatever its size on this system.
[[nodiscard]] bool seek(std::FILE* file, std::size_t offset);

/// Sends what was written to `file` on to the disk or the file server, where
/// other machines see it.
[[nodiscard]] bool push_out(std::FILE* file);
/// The same for standard output and error, where they are files.
void push_out_standard_streams();
/// Where standard output (1) or error (2) stands, in bytes, when it is a
/// file; none otherwise.
[[nodiscard]] std::optional<std::size_t> standard_stream_position(int stream);

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

/// The local time now, ISO 8601 with the offset: "2026-12-09T07:51:03-03:00".
[[nodiscard]] std::string local_time_iso8601();

}  // namespace vardelmo::platform
