#include "results/earlier_results.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "results/results_reader.h"
#include "results/rows.h"

namespace vardelmo {
namespace {

/// The rows of a results file as views into `text`; none when the file is
/// missing; false when it is not one this program writes.
bool read_file(const std::string& path, std::string_view header, std::size_t fields,
               const std::vector<std::string>& solvers, std::string& text,
               std::vector<ResultsLine>& rows) {
  return read_results_file(path, header, fields,
                           [&](const std::string& solver) {
                             return std::find(solvers.begin(), solvers.end(), solver) !=
                                    solvers.end();
                           },
                           text, rows) != ResultsFileState::NotOurs;
}

}  // namespace

bool EarlierResults::read(const std::string& output_folder, const std::string& solver,
                          const std::vector<std::string>& solvers, std::string& file) {
  std::string results_text, details_text;
  std::vector<ResultsLine> results, details;
  file = results_file_path(output_folder);
  if (!read_file(file, kResultsHeader, 5, solvers, results_text, results)) return false;
  file = details_file_path(output_folder);
  if (!read_file(file, kDetailsHeader, 10, solvers, details_text, details)) return false;
  // A details file that an earlier version of the program never wrote.
  std::unordered_map<std::string, std::string_view> detail_of;
  for (const ResultsLine& detail : details)
    detail_of.emplace(detail.fields[0] + ";" + detail.fields[1], detail.text);
  for (const ResultsLine& result : results) {
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
