#include "results/earlier_results.h"

#include <algorithm>
#include <utility>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/files.h"
#include "base/platform.h"
#include "results/rows.h"

namespace vardelmo {
namespace {

/// One line of a results file: its text less the line end, and its fields.
struct Line {
  std::string_view text;
  std::vector<std::string> fields;
};

/// Cuts `text` into lines as the results files write them: fields ended by
/// ';' (the header's last excepted), a field between double quotes holding
/// any byte with '"' doubled, each line ended by the platform's line end.
/// False when the text is not so made.
bool split_lines(std::string_view text, std::vector<Line>& lines) {
  const std::string_view end = platform::line_end;
  std::size_t at = 0;
  while (at < text.size()) {
    Line line;
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

/// The rows of a results file with `header` and `fields` fields a row, as
/// views into `text`, which holds the file; none when the file is missing;
/// false when it is not so made.
bool read_file(const std::string& path, std::string_view header, std::size_t fields,
               const std::vector<std::string>& solvers, std::string& text,
               std::vector<Line>& rows) {
  std::error_code error;
  const std::filesystem::path native = platform::native_path(path, error);
  if (!error && std::filesystem::symlink_status(native, error).type() ==
                    std::filesystem::file_type::not_found)
    return true;
  std::optional<std::string> bytes = read_whole_file(path, false);
  if (!bytes) return false;
  text = std::move(*bytes);
  if (!split_lines(text, rows) || rows.empty() || rows[0].text != header) return false;
  rows.erase(rows.begin());
  for (const Line& row : rows)
    if (row.fields.size() != fields || row.text.empty() || row.text.back() != ';' ||
        std::find(solvers.begin(), solvers.end(), row.fields[0]) == solvers.end() || !number_of(row.fields[2]) ||
        !outcome_of(row.fields[3]))
      return false;
  return true;
}

}  // namespace

bool EarlierResults::read(const std::string& output_folder, const std::string& solver,
                          const std::vector<std::string>& solvers, std::string& file) {
  std::string results_text, details_text;
  std::vector<Line> results, details;
  file = results_file_path(output_folder);
  if (!read_file(file, kResultsHeader, 5, solvers, results_text, results)) return false;
  file = details_file_path(output_folder);
  if (!read_file(file, kDetailsHeader, 10, solvers, details_text, details)) return false;
  // A details file that an earlier version of the program never wrote.
  std::unordered_map<std::string, std::string_view> detail_of;
  for (const Line& detail : details)
    detail_of.emplace(detail.fields[0] + ";" + detail.fields[1], detail.text);
  for (const Line& result : results) {
    const Outcome outcome = *outcome_of(result.fields[3]);
    if (result.fields[0] != solver || outcome == Outcome::UserInterrupt ||
        outcome == Outcome::SolverError || rows_.count(result.fields[1]) != 0)
      continue;
    EarlierRows kept;
    kept.row = std::string(result.text.substr(solver.size() + 1));
    const auto detail = detail_of.find(result.fields[0] + ";" + result.fields[1]);
    if (detail != detail_of.end() && detail->second.substr(0, result.text.size()) == result.text)
      kept.detail = std::string(detail->second.substr(solver.size() + 1));
    else
      kept.detail = kept.row + ";;;;;";
    kept.outcome = outcome;
    kept.seconds = *number_of(result.fields[2]);
    kept.contradicts = kept.detail.size() >= 5 && kept.detail.compare(kept.detail.size() - 5, 5, ";NAO;") == 0;
    rows_.emplace(result.fields[1], std::move(kept));
  }
  return true;
}

const EarlierRows* EarlierResults::find(const std::string& name) const {
  const auto found = rows_.find(name);
  return found == rows_.end() ? nullptr : &found->second;
}

}  // namespace vardelmo
