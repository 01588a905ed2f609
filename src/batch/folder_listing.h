#pragma once
#include <string>

#include "batch/text_list.h"

namespace vardelmo {

/// Full paths of the entries of one folder, in the file system's order.
using FileNameList = TextList;

/// True only when `folder` names an existing folder (links followed).
/// Prints nothing.
bool is_existing_folder(std::string folder);

/// `folder` joined with each entry's name, never sorted. A failure is
/// reported on standard error and ends the listing with what it had.
FileNameList list_folder(const std::string& folder);

/// `folder` followed by the separator and `name`, the separator left out
/// when the folder text already ends with one (or with a slash), or is a
/// bare drive (Windows).
std::string join_path(const std::string& folder, const std::string& name);

}  // namespace vardelmo
