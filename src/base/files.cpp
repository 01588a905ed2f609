#include "base/files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "base/console.h"
#include "base/platform.h"

namespace fs = std::filesystem;

namespace vardelmo {

bool is_existing_folder(std::string folder) {
  // Any failed status query, not only the not-found reasons, answers false:
  // no caller could do more with it.
  std::error_code error;
  fs::path path = platform::native_path(folder, error);
  if (error) return false;
  // Windows' C library has no status for a bare drive, the drive's current
  // folder; its full path has one.
  if (platform::is_bare_drive(folder)) path = fs::absolute(path, error);
  if (error) return false;
  fs::file_status status = fs::status(path, error);
  return !error && fs::is_directory(status);
}

std::optional<std::string> ask_for_folder(const char* prompt, const char* refusal) {
  std::string folder;
  if (!ask(prompt, folder, Completion{Completion::Kind::Paths, {}})) return std::nullopt;
  if (!is_existing_folder(folder)) {
    print(refusal);
    return std::nullopt;
  }
  return folder;
}

bool file_can_be_read(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return false;
  std::fclose(file);
  // Linux opens a folder as an input stream; it is still no file.
  std::error_code error;
  const fs::path native = platform::native_path(path, error);
  return !error && !fs::is_directory(native, error);
}

namespace {

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::optional<std::string> read_whole_file(const std::string& path, bool as_text) {
  std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), as_text ? "r" : "rb"));
  if (!file) return std::nullopt;
  std::string content;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
    content.append(buffer, got);
  if (std::ferror(file.get())) return std::nullopt;
  return content;
}

std::optional<std::string> read_file_part(const std::string& path, std::size_t from,
                                          std::optional<std::size_t> to) {
  std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "rb"));
  if (!file || !platform::seek(file.get(), from)) return std::nullopt;
  std::string content;
  char buffer[4096];
  while (!to || from + content.size() < *to) {
    const std::size_t want =
        to ? std::min(sizeof buffer, *to - from - content.size()) : sizeof buffer;
    const std::size_t got = std::fread(buffer, 1, want, file.get());
    content.append(buffer, got);
    if (got < want) break;
  }
  if (std::ferror(file.get())) return std::nullopt;
  return content;
}

std::string text_of(std::string bytes) {
  if (std::string_view(platform::line_end) == "\n") return bytes;
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n') text += bytes[i];
  return text;
}

bool append_to_file(const std::string& path, std::string_view bytes, bool push_out) {
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) return false;
  bool done = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
              std::fflush(file) == 0;
  if (push_out) done = platform::push_out(file) && done;
  return std::fclose(file) == 0 && done;
}

bool write_whole_file(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  // The close flushes, and may fail in its turn.
  return std::fclose(file) == 0 && written;
}

std::string join_path(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == platform::path_separator || folder.back() == '/'))
    return folder + name;
  if (platform::is_bare_drive(folder)) return folder + name;
  return folder + platform::path_separator + name;
}

FileNameList list_folder(const std::string& folder) {
  FileNameList entries;
  try {
    std::error_code error;
    const fs::path path = platform::native_path(folder, error);
    if (error) throw std::system_error(error);
    for (fs::directory_iterator it{path}, end; it != end; ++it) {
      const std::string name = platform::narrow_name(it->path().filename(), error);
      if (error) throw std::system_error(error);
      entries.push_back(join_path(folder, name));
    }
  } catch (const std::exception& error) {
    print_error("Erro ao acessar a pasta: " + platform::error_text(error) + "\n");
    std::fflush(stderr);
  }
  return entries;
}

bool ends_with(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::vector<std::string> split_path(std::string path) {
  std::vector<std::string> components;
  std::size_t start = 0;
  for (std::size_t cut; (cut = path.find(platform::path_separator, start)) != std::string::npos;
       start = cut + 1)
    components.push_back(path.substr(start, cut - start));
  components.push_back(path.substr(start));
  return components;
}

}  // namespace vardelmo
