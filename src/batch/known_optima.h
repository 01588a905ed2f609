#pragma once
// Known optima of a batch's models, from ".solu" files in the model folder,
// in the form of SCIP's and MIPLIB's test sets:
//   =opt=  NAME VALUE   the proven optimum
//   =best= NAME VALUE   the best solution known
//   =inf=  NAME         no solution exists
//   =unkn= NAME         nothing is known
// NAME is the model's file name without ".lp". Other lines are ignored.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/files.h"
#include "results/model_result.h"

namespace vardelmo {

struct Reference {
  enum class Kind { Optimum, Best, Infeasible, Unknown };
  Kind kind = Kind::Unknown;
  double value = 0;
};

/// How a result stands against its reference: CONFERE.
enum class Verdict {
  None,         // nothing to compare
  Agrees,       // SIM
  Better,       // MELHOR: better than the best known solution
  Contradicts,  // NAO
};

/// A model's name as the references give it, and its solution file takes
/// it: its file name without ".lp".
[[nodiscard]] std::string model_name(const std::string& model_path);

class KnownOptima {
 public:
  /// Reads every entry of `entries` whose name ends in ".solu". An
  /// unreadable line is skipped with a message naming its file and line; a
  /// name given twice keeps its first reference.
  void read(const FileNameList& entries);
  /// Reads one file's text, `file` naming it in messages.
  void read_text(std::string_view text, const std::string& file);
  [[nodiscard]] bool empty() const { return references_.empty(); }
  /// The reference of the model at `model_path`, if any.
  [[nodiscard]] const Reference* find(const std::string& model_path) const;

 private:
  std::unordered_map<std::string, Reference> references_;
};

/// Checks a result against a reference within the tolerances of SCIP's
/// check scripts; "better" follows the model's objective sense.
[[nodiscard]] Verdict check(const Reference& reference, const ModelResult& result);

}  // namespace vardelmo
