#include "results/results_reader.h"

#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "base/files.h"
#include "base/platform.h"
#include "results/rows.h"

namespace vardelmo {

bool split_results_lines(std::string_view text, std::vector<ResultsLine>& lines) {
  const std::string_view end = platform::line_end;
  std::size_t at = 0;
  while (at < text.size()) {
    ResultsLine line;
    const std::size_t start = at;
    std::string field;
    bool quoted = false;
    for (;;) {
      if (at >= text.size()) return false;  // a line cut short
      const char c = text[at];
      if (quoted) {
        ++at;
        if (c != '"') {
          field += c;
        } else if (at < text.size() && text[at] == '"') {
          field += '"';
          ++at;
        } else {
          quoted = false;
        }
      } else if (c == '"' && field.empty()) {
        quoted = true;
        ++at;
      } else if (c == ';') {
        line.fields.push_back(std::move(field));
        field.clear();
        ++at;
      } else if (text.compare(at, end.size(), end) == 0) {
        if (!field.empty()) line.fields.push_back(std::move(field));
        line.text = text.substr(start, at - start);
        at += end.size();
        break;
      } else if (c == '\r' || c == '\n') {
        return false;
      } else {
        field += c;
        ++at;
      }
    }
    lines.push_back(std::move(line));
  }
  return true;
}

ResultsFileState read_results_file(const std::string& path, std::string_view header,
                                   std::size_t fields,
                                   const std::function<bool(const std::string&)>& is_solver,
                                   std::string& text, std::vector<ResultsLine>& rows) {
  std::error_code error;
  const std::filesystem::path native = platform::native_path(path, error);
  if (!error && std::filesystem::symlink_status(native, error).type() ==
                    std::filesystem::file_type::not_found)
    return ResultsFileState::Missing;
  std::optional<std::string> bytes = read_whole_file(path, false);
  if (!bytes) return ResultsFileState::NotOurs;
  text = std::move(*bytes);
  if (!split_results_lines(text, rows) || rows.empty() || rows[0].text != header)
    return ResultsFileState::NotOurs;
  rows.erase(rows.begin());
  for (const ResultsLine& row : rows)
    if (row.fields.size() != fields || row.text.empty() || row.text.back() != ';' ||
        !is_solver(row.fields[0]) || !number_of(row.fields[2]) || !outcome_of(row.fields[3]))
      return ResultsFileState::NotOurs;
  return ResultsFileState::Read;
}

}  // namespace vardelmo
