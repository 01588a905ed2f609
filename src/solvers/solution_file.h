#pragma once
#include <string>

namespace vardelmo {

/// A model's best solution in the form SCIP and Gurobi both read back as a
/// start solution: "# Objective value = <Z>", then "<name> <value>" for each
/// variable, numbers with 17 significant digits and a decimal point.
class SolutionText {
 public:
  explicit SolutionText(double objective);
  void add(const char* name, double value);
  /// Writes it at `path`: beside it first, then moved there, so that no
  /// stopped batch leaves half a file. Says so on standard error when it
  /// cannot.
  void write(const std::string& path) const;

 private:
  std::string text_;
};

}  // namespace vardelmo
