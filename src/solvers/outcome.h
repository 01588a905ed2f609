#pragma once
// A model's console block, as every runner prints it.
#include <string>

#include "results/model_result.h"

namespace vardelmo {

/// What a solver's status comes to, and whether the console block shows it:
/// each solver's table of statuses says which it shows.
struct ClassifiedStatus {
  Outcome outcome;
  bool in_solver_table;
};

/// The console's form of a number: six significant digits, decimal point.
[[nodiscard]] std::string console_number(double value);

/// The model file's name, NOME, of a model path.
[[nodiscard]] std::string model_file_name(const std::string& model_path);

/// Prints the block of a model's result: the NOME and TEMPO lines and, when
/// `status_shown` (the solver's table has the status), the STATUS line.
void print_outcome_block(const ModelResult& result, bool status_shown);

}  // namespace vardelmo
