#include "base/platform.h"

#include <cctype>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vardelmo::platform {
namespace {

#ifdef _WIN32
const char* const kPortugueseNames[] = {"portuguese"};
const char* const kGurobiLibraryNames[] = {"gurobi130.dll", "gurobi120.dll", "gurobi110.dll"};
const char* const kGurobiHomeLibraryFolder = "bin";
#else
const char* const kPortugueseNames[] = {"pt_BR.UTF-8", "pt_PT.UTF-8", "portuguese"};
const char* const kGurobiLibraryNames[] = {"libgurobi130.so", "libgurobi120.so",
                                           "libgurobi110.so"};
const char* const kGurobiHomeLibraryFolder = "lib";
#endif

}  // namespace

void set_process_locale() {
  for (const char* name : kPortugueseNames)
    if (std::setlocale(LC_ALL, name) != nullptr) break;
  std::setlocale(LC_NUMERIC, "C");
}

// The process keeps the classic numeric locale (set_process_locale), so the
// C library's conversions use a point; the comma is swapped in and out here
// rather than taken from a Portuguese locale, which a machine may not have.
std::size_t parse_double_portuguese(const std::string& text, double* value,
                                    bool* range_error) {
  std::string classic = text.substr(0, text.find('.'));
  for (char& c : classic)
    if (c == ',') c = '.';
  const char* begin = classic.c_str();
  char* end = nullptr;
  errno = 0;
  *value = std::strtod(begin, &end);
  *range_error = (errno == ERANGE);
  return static_cast<std::size_t>(end - begin);
}

std::string format_fixed_portuguese(double value) {
  // 1e308 takes 309 digits before the separator.
  char buffer[400];
  const int length = std::snprintf(buffer, sizeof buffer, "%f", value);
  if (length < 0) return std::string();
  std::string text(buffer, static_cast<std::size_t>(length));
  const std::size_t point = text.find('.');
  if (point != std::string::npos) text[point] = ',';
  return text;
}

std::vector<std::filesystem::path> gurobi_library_candidates() {
  std::error_code error;
  std::filesystem::path start = std::filesystem::current_path(error);
  if (error) start = ".";
  std::vector<std::filesystem::path> candidates;
  for (const char* name : kGurobiLibraryNames) candidates.push_back(start / name);
  const char* home = std::getenv("GUROBI_HOME");
  if (home == nullptr || *home == '\0') return candidates;
  // A relative GUROBI_HOME is taken from the start folder.
  std::filesystem::path installation = native_path(home, error);
  if (!error) installation = std::filesystem::absolute(installation, error);
  if (error) return candidates;
  for (const char* name : kGurobiLibraryNames)
    candidates.push_back(installation / kGurobiHomeLibraryFolder / name);
  return candidates;
}

std::optional<std::filesystem::path> find_gurobi_library() {
  for (const std::filesystem::path& candidate : gurobi_library_candidates()) {
    std::error_code error;
    if (std::filesystem::is_directory(candidate, error)) continue;
    if (std::ifstream(candidate, std::ios::binary).is_open()) return candidate;
  }
  return std::nullopt;
}

bool replace_file(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

bool seek(std::FILE* file, std::size_t offset) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool push_out(std::FILE* file) {
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

void push_out_standard_streams() {
  // A pipe or a terminal has nothing to push: its refusal is no failure.
  for (int stream : {1, 2}) {
#ifdef _WIN32
    _commit(stream);
#else
    fsync(stream);
#endif
  }
}

std::optional<std::size_t> standard_stream_position(int stream) {
#ifdef _WIN32
  const __int64 position = _lseeki64(stream, 0, SEEK_CUR);
#else
  const off_t position = lseek(stream, 0, SEEK_CUR);
#endif
  if (position < 0) return std::nullopt;
  return static_cast<std::size_t>(position);
}

std::optional<FileStamp> file_stamp(std::FILE* file) {
#ifdef _WIN32
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  BY_HANDLE_FILE_INFORMATION info;
  if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info))
    return std::nullopt;
  auto join = [](DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; };
  return FileStamp{info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
                   join(info.nFileSizeHigh, info.nFileSizeLow),
                   join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)};
#else
  struct stat status;
  if (fstat(fileno(file), &status) != 0) return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(status.st_dev),
                   static_cast<std::uint64_t>(status.st_ino),
                   static_cast<std::uint64_t>(status.st_size),
                   static_cast<std::uint64_t>(status.st_mtim.tv_sec) * 1000000000u +
                       static_cast<std::uint64_t>(status.st_mtim.tv_nsec)};
#endif
}

void keep_running_past_file_size_limit() {
#ifndef _WIN32
  // The write then fails with EFBIG, which the writers handle.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

#ifdef _WIN32

// Narrow texts are in the ANSI code page, the one the C library's and the
// system's narrow file calls (fopen, MoveFileExA) use as well.
std::filesystem::path native_path(const std::string& text, std::error_code& error) {
  error.clear();
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (length == 0 ||
      MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length) !=
          length) {
    error.assign(static_cast<int>(GetLastError()), std::system_category());
    return {};
  }
  return std::filesystem::path(std::move(wide));
}

std::string narrow_name(const std::filesystem::path& name, std::error_code& error) {
  error.clear();
  const std::wstring& wide = name.native();
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  // Only a UTF-8 code page has a form for every character, and Windows
  // reports the stand-in character only for the others.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL replaced = FALSE;
  BOOL* replacement = utf8 ? nullptr : &replaced;
  const int length =
      WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, replacement);
  std::string text(static_cast<std::size_t>(length), '\0');
  if (length == 0 || WideCharToMultiByte(CP_ACP, flags, wide.data(), size, text.data(), length,
                                         nullptr, replacement) != length) {
    error.assign(static_cast<int>(GetLastError()), std::system_category());
    return {};
  }
  if (replaced) {
    error.assign(ERROR_NO_UNICODE_TRANSLATION, std::system_category());
    return {};
  }
  return text;
}

bool is_bare_drive(const std::string& folder) {
  return folder.size() == 2 && folder[1] == ':' &&
         ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
}

namespace {

// The system's words for a loader error. libstdc++'s system_category gives
// up on a message that names the file ("%1 is not a valid Win32
// application"); here the file's name takes that place.
std::string loader_reason(DWORD code, const std::filesystem::path& file) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text(buffer != nullptr ? buffer : "", length);
  LocalFree(buffer);
  while (!text.empty() &&
         (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == '.'))
    text.pop_back();
  if (text.empty()) return "erro " + std::to_string(code) + " do sistema";
  std::error_code error;
  const std::string name = narrow_name(file.filename(), error);
  const std::size_t insert = text.find("%1");
  if (insert != std::string::npos && !error) text.replace(insert, 2, name);
  return text;
}

}  // namespace

SharedLibrary::SharedLibrary(const std::filesystem::path& file, std::string& reason)
    : file_(file) {
  // A broken file must not stop the shell behind a message box: the shell
  // reports the failure itself.
  DWORD previous_mode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_mode);
  // A full path is looked up nowhere else.
  handle_ = LoadLibraryExW(file.c_str(), nullptr, 0);
  const DWORD error = GetLastError();
  SetThreadErrorMode(previous_mode, nullptr);
  if (handle_ == nullptr) reason = loader_reason(error, file);
}

SharedLibrary::~SharedLibrary() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* SharedLibrary::function(const char* name, std::string& reason) const {
  FARPROC address = GetProcAddress(static_cast<HMODULE>(handle_), name);
  if (address == nullptr) reason = std::string(name) + ": " + loader_reason(GetLastError(), file_);
  return reinterpret_cast<void*>(address);
}

std::string error_text(const std::exception& error) {
  std::string text = error.what();
  // libstdc++ words the paths of a file-system error in UTF-8; they came
  // from texts in the process code page and go back to it.
  const auto* failure = dynamic_cast<const std::filesystem::filesystem_error*>(&error);
  if (failure == nullptr) return text;
  for (const std::filesystem::path* path : {&failure->path1(), &failure->path2()}) {
    if (path->empty()) continue;
    std::error_code conversion;
    const std::string narrow = narrow_name(*path, conversion);
    if (conversion) continue;
    std::string utf8;
    try {
      utf8 = "[" + path->string() + "]";
    } catch (const std::exception&) {
      continue;
    }
    const std::size_t at = text.rfind(utf8);
    if (at != std::string::npos) text.replace(at, utf8.size(), "[" + narrow + "]");
  }
  return text;
}

#else

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

#endif

std::string local_time_iso8601() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  long offset_minutes = 0;
#ifdef _WIN32
  localtime_s(&local, &now);
  // MSVCRT's %z gives a zone name, not an offset: the offset is computed.
  std::tm utc{};
  gmtime_s(&utc, &now);
  utc.tm_isdst = local.tm_isdst;
  offset_minutes = static_cast<long>(std::difftime(std::mktime(&local), std::mktime(&utc)) / 60);
#else
  localtime_r(&now, &local);
  offset_minutes = local.tm_gmtoff / 60;
#endif
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  const long magnitude = offset_minutes < 0 ? -offset_minutes : offset_minutes;
  char offset[8];
  std::snprintf(offset, sizeof offset, "%c%02ld:%02ld", offset_minutes < 0 ? '-' : '+',
                magnitude / 60 % 100, magnitude % 60);
  return std::string(text) + offset;
}

std::string machine_name() {
#ifdef _WIN32
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size)) return {};
  return std::string(name, size);
#else
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
#endif
}

}  // namespace vardelmo::platform
