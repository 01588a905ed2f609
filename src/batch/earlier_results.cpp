#include "batch/earlier_results.h"

#include <cstdlib>
#include <utility>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/files.h"
#include "base/platform.h"
#include "solvers/results_file.h"

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

std::optional<Outcome> outcome_of(const std::string& word) {
  for (int i = 0; i <= static_cast<int>(Outcome::SolverError); ++i)
    if (word == outcome_word(static_cast<Outcome>(i))) return static_cast<Outcome>(i);
  return std::nullopt;
}

/// A number as the files write it: digits, a decimal comma, six decimals.
std::optional<double> time_of(const std::string& text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos || comma == 0 || text.size() - comma != 7) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (i != comma && (text[i] < '0' || text[i] > '9')) return std::nullopt;
  return std::strtod((text.substr(0, comma) + "." + text.substr(comma + 1)).c_str(), nullptr);
}

/// The rows of a results file with `header` and `fields` fields a row, as
/// views into `text`, which holds the file; none when the file is missing;
/// false when it is not so made.
bool read_file(const std::string& path, std::string_view header, std::size_t fields,
               std::string& text, std::vector<Line>& rows) {
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
        (row.fields[0] != "SCIP" && row.fields[0] != "GUROBI") || !time_of(row.fields[2]) ||
        !outcome_of(row.fields[3]))
      return false;
  return true;
}

}  // namespace

bool EarlierResults::read(const std::string& output_folder, const std::string& solver,
                          std::string& file) {
  std::string results_text, details_text;
  std::vector<Line> results, details;
  file = results_file_path(output_folder);
  if (!read_file(file, kResultsHeader, 5, results_text, results)) return false;
  file = details_file_path(output_folder);
  if (!read_file(file, kDetailsHeader, 10, details_text, details)) return false;
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
    kept.seconds = *time_of(result.fields[2]);
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
