#pragma once
// The one reader of the results files: `resume` reads an earlier batch's
// rows through it, `compare` whole batches.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vardelmo {

/// One line of a results file: its text less the line end, and its fields.
struct ResultsLine {
  std::string_view text;
  std::vector<std::string> fields;
};

/// Cuts `text` into lines as the results files write them: fields ended by
/// ';' (the header's last excepted), a field between double quotes holding
/// any byte with '"' doubled, each line ended by the platform's line end.
/// False when the text is not so made.
[[nodiscard]] bool split_results_lines(std::string_view text, std::vector<ResultsLine>& lines);

enum class ResultsFileState { Missing, Read, NotOurs };

/// Reads the results file at `path` whose header is `header`, with `fields`
/// fields a row and a SOLVER field that `is_solver` takes: `text` holds the
/// file and `rows` its rows, as views into it. NotOurs when the file is not
/// so made (or cannot be read); Missing, with no rows, when there is none.
[[nodiscard]] ResultsFileState read_results_file(
    const std::string& path, std::string_view header, std::size_t fields,
    const std::function<bool(const std::string&)>& is_solver, std::string& text,
    std::vector<ResultsLine>& rows);

}  // namespace vardelmo
