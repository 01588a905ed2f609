#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_list.h"

namespace vardelmo {

/// Full paths of the entries of one folder, in the file system's order.
using FileNameList = TextList;

/// True only when `folder` names an existing folder (links followed).
/// Prints nothing.
[[nodiscard]] bool is_existing_folder(std::string folder);

/// Writes `prompt` and reads a folder path: the path when it names an
/// existing folder. Otherwise prints `refusal` and gives nothing; at the end
/// of input it prints nothing more.
[[nodiscard]] std::optional<std::string> ask_for_folder(const char* prompt, const char* refusal);

/// True when `path` opens for reading as a file. A folder does not count.
[[nodiscard]] bool file_can_be_read(const std::string& path);

/// The whole of the file at `path`, read as bytes, or as text (where
/// Windows turns each CR LF into a line feed); nothing when it cannot be
/// opened or read.
[[nodiscard]] std::optional<std::string> read_whole_file(const std::string& path, bool as_text);

/// Bytes `from` up to `to` (none: to the end) of the file at `path`; fewer
/// where it ends sooner; nothing when it cannot be opened or read.
[[nodiscard]] std::optional<std::string> read_file_part(const std::string& path, std::size_t from,
                                                        std::optional<std::size_t> to);

/// Bytes written as text on this system, as the program's text (Windows:
/// each CR LF a line feed).
[[nodiscard]] std::string text_of(std::string bytes);

/// Adds `bytes` at the end of the file at `path` (created when missing), in
/// one write; with `push_out`, on to the disk or file server before it
/// returns. False when any of it fails.
[[nodiscard]] bool append_to_file(const std::string& path, std::string_view bytes, bool push_out);

/// Creates or empties the file at `path` and writes `bytes` into it; false
/// when any of it fails.
[[nodiscard]] bool write_whole_file(const std::string& path, std::string_view bytes);

/// `folder` joined with each entry's name, never sorted. A failure is
/// reported on standard error and ends the listing with what it had.
[[nodiscard]] FileNameList list_folder(const std::string& folder);

/// Whether a name or path ends with `end` (".gz", say), byte for byte.
[[nodiscard]] bool ends_with(std::string_view text, std::string_view end);

/// The path cut at every separator; a text without one is one component.
[[nodiscard]] std::vector<std::string> split_path(std::string path);

/// `folder` followed by the separator and `name`, the separator left out
/// when the folder text already ends with one (or with a slash), or is a
/// bare drive (Windows).
[[nodiscard]] std::string join_path(const std::string& folder, const std::string& name);

}  // namespace vardelmo
