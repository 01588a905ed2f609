#include "batch.h"

#include <cstdint>
#include <map>
#include <regex>

namespace vardelmo::test {

std::string mask_times(const std::string& text) {
  static const std::regex console("(TEMPO|Time): [-+.0-9a-z]+\n");
  static const std::regex row("^((?:SCIP|GUROBI);[^\n]*?;)[0-9]+,[0-9]{6};", std::regex::multiline);
  std::string masked = std::regex_replace(text, console, "$1: T\n");
  return std::regex_replace(masked, row, "$1T;");
}

std::vector<std::string> listing_order(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

void copy_model(const std::string& name, const fs::path& folder, const std::string& as) {
  fs::path source = fs::path(VARDELMO_TEST_MODELS) / "opt" / name;
  if (!fs::exists(source)) source = fs::path(VARDELMO_TESTDATA) / "miplib" / name;
  fs::path target = folder / (as.empty() ? name : as);
  fs::copy_file(source, target, fs::copy_options::overwrite_existing);
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
}

std::string hard_model() {
  const int rows = 4, columns = 36;
  std::uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % 100;
  };
  std::string model = "Minimize\n obj: 0 x1\nSubject To\n";
  for (int i = 0; i < rows; ++i) {
    long total = 0;
    model += " r" + std::to_string(i) + ":";
    for (int j = 1; j <= columns; ++j) {
      unsigned a = next();
      total += a;
      model += " + " + std::to_string(a) + " x" + std::to_string(j);
    }
    model += " = " + std::to_string(total / 2) + "\n";
  }
  model += "Binary\n";
  for (int j = 1; j <= columns; ++j) model += " x" + std::to_string(j) + "\n";
  return model + "End\n";
}

std::string results_file(const std::vector<std::string>& rows) {
  std::string text = "SOLVER;NOME;TEMPO;STATUS;Z\n";
  for (const std::string& row : rows) text += row + "\n";
  return text;
}

}  // namespace vardelmo::test

namespace vardelmo::test {

std::string read_report(const std::string& model) {
  // Sizes of the test models: variables (binary, integer, continuous), rows.
  struct Size { int binary, integer, continuous, rows; };
  static const std::map<std::string, Size> sizes = {
      {"decimals.lp", {0, 1, 2, 3}},
      {"infeasible.lp", {0, 0, 2, 2}},
      {"unbounded.lp", {0, 0, 2, 1}},
  };
  const Size& s = sizes.at(model);
  return "original problem has " + std::to_string(s.binary + s.integer + s.continuous) +
         " variables (" + std::to_string(s.binary) + " bin, " + std::to_string(s.integer) +
         " int, 0 impl, " + std::to_string(s.continuous) + " cont) and " + std::to_string(s.rows) +
         " constraints\n";
}

}  // namespace vardelmo::test
