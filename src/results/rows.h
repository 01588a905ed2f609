#pragma once
// The form of the results files: their names, headers and fields.
#include <optional>
#include <string>
#include <string_view>

#include "results/model_result.h"

namespace vardelmo {

/// The results file of `folder`: "sol_stat.csv" after the separator, which
/// is added even when the folder text ends with one.
[[nodiscard]] std::string results_file_path(const std::string& folder);
/// Its header.
inline constexpr std::string_view kResultsHeader = "SOLVER;NOME;TEMPO;STATUS;Z";

/// The details file of `folder`, "sol_detalhes.csv", named as the results file.
[[nodiscard]] std::string details_file_path(const std::string& folder);
inline constexpr std::string_view kDetailsHeader =
    "SOLVER;NOME;TEMPO;STATUS;Z;LIMITANTE_DUAL;GAP;NOS;REFERENCIA;CONFERE";

/// Whether a folder entry's name is that of a results file.
[[nodiscard]] bool is_results_file_name(const std::string& name);

/// printf's "%f" with the decimal comma, as the results files write numbers.
[[nodiscard]] std::string number_text(double value);
/// A number as number_text writes a non-negative one: digits, a decimal
/// comma, six decimals; none for any other text.
[[nodiscard]] std::optional<double> number_of(const std::string& text);

/// The NOME field of a row: the name as is, unless it holds ';', '"', CR or
/// LF; then between double quotes with every '"' doubled, as spreadsheets
/// read a semicolon-separated file.
[[nodiscard]] std::string name_field(const std::string& name);

/// The row of `sol_stat.csv` without its SOLVER field: "NOME;TEMPO;STATUS;Z;".
[[nodiscard]] std::string result_row(const ModelResult& result);

/// The row of `sol_detalhes.csv` without its SOLVER field: the result's row,
/// then LIMITANTE_DUAL;GAP;NOS; and the two fields of the check against a
/// known value (each empty when there is none).
[[nodiscard]] std::string details_row(const ModelResult& result, const std::string& reference,
                                      const std::string& verdict);

}  // namespace vardelmo
