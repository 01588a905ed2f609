#include "batch/folder_listing.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "shell/platform.h"

namespace fs = std::filesystem;

namespace vardelmo {

bool is_existing_folder(std::string folder) {
  // Any failed status query, not only "no such file", answers false: no
  // caller could do more with it.
  std::error_code error;
  fs::file_status status = fs::status(fs::path(folder), error);
  return !error && fs::is_directory(status);
}

std::string join_path(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == platform::path_separator || folder.back() == '/'))
    return folder + name;
  return folder + platform::path_separator + name;
}

FileNameList list_folder(const std::string& folder) {
  FileNameList entries;
  try {
    for (fs::directory_iterator it{fs::path(folder)}, end; it != end; ++it)
      entries.push_back(join_path(folder, it->path().filename().string()));
  } catch (const std::exception& error) {
    std::cerr << "Erro ao acessar a pasta: " << error.what() << "\n" << std::flush;
  }
  return entries;
}

}  // namespace vardelmo
