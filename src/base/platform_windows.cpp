// The platform's choices on Windows.
#include <io.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "base/platform.h"
#include "base/platform_names.h"

namespace vardelmo::platform {

namespace names {
const char* const kPortugueseLocales[] = {"portuguese", nullptr};
const char* const kGurobiLibraries[] = {"gurobi130.dll", "gurobi120.dll", "gurobi110.dll", nullptr};
const char* const kGurobiHomeLibraryFolder = "bin";
}  // namespace names

bool replace_file(const std::string& from, const std::string& to, std::string& reason) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) return true;
  reason = std::system_category().message(static_cast<int>(GetLastError()));
  return false;
}
bool seek(std::FILE* file, std::size_t offset) {
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

bool push_out(std::FILE* file) {
  return _commit(_fileno(file)) == 0;
}

void push_out_standard_streams() {
  // A pipe or a terminal has nothing to push: its refusal is no failure.
  for (int stream : {1, 2}) _commit(stream);
}

std::optional<std::size_t> standard_stream_position(int stream) {
  const __int64 position = _lseeki64(stream, 0, SEEK_CUR);
  if (position < 0) return std::nullopt;
  return static_cast<std::size_t>(position);
}

std::optional<FileStamp> file_stamp(std::FILE* file) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  BY_HANDLE_FILE_INFORMATION info;
  if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info))
    return std::nullopt;
  auto join = [](DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; };
  return FileStamp{info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
                   join(info.nFileSizeHigh, info.nFileSizeLow),
                   join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)};
}

void keep_running_past_file_size_limit() {}

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

void local_time(std::time_t now, std::tm& local, long& offset_minutes) {
  localtime_s(&local, &now);
  // MSVCRT's %z gives a zone name, not an offset: the offset is computed.
  std::tm utc{};
  gmtime_s(&utc, &now);
  utc.tm_isdst = local.tm_isdst;
  offset_minutes =
      static_cast<long>(std::difftime(std::mktime(&local), std::mktime(&utc)) / 60);
}

}  // namespace vardelmo::platform
