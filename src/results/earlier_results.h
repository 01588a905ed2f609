#pragma once
// The results an earlier batch left in an output folder, for a batch that
// resumes it: the rows of the models it brought to an end, kept byte for
// byte so that the files after the new batch hold them as they were.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "results/model_result.h"

namespace vardelmo {

/// One model's rows as the files hold them, less the SOLVER field and the
/// line end.
struct EarlierRows {
  std::string row;
  std::string detail;
  /// Read back from the row, for the batch's summary.
  Outcome outcome = Outcome::Unknown;
  double seconds = 0;
  bool contradicts = false;
};

class EarlierResults {
 public:
  /// Reads the results files of `output_folder`. A missing file holds no
  /// rows; a file that is not one this program writes (whose SOLVER fields
  /// are among `solvers`) gives false, with its path in `file`, and nothing
  /// may overwrite it. Only rows of `solver`
  /// whose model came to an end (neither stopped by Ctrl+C nor lost with
  /// its process) are kept; of a name given twice, the first.
  [[nodiscard]] bool read(const std::string& output_folder, const std::string& solver,
                          const std::vector<std::string>& solvers, std::string& file);
  [[nodiscard]] bool empty() const { return rows_.empty(); }
  /// The rows of the model named `name` (its file name), if kept.
  [[nodiscard]] const EarlierRows* find(const std::string& name) const;

 private:
  std::unordered_map<std::string, EarlierRows> rows_;
};

}  // namespace vardelmo
