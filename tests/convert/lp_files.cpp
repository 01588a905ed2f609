#include "lp_files.h"

#include <glpk.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include "program.h"

namespace vardelmo::test {
namespace {

struct ProblemDeleter {
  void operator()(glp_prob* problem) const noexcept { glp_delete_prob(problem); }
};

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string bounds(int type, double lower, double upper) {
  switch (type) {
    case GLP_FR:
      return "free";
    case GLP_LO:
      return ">= " + number(lower);
    case GLP_UP:
      return "<= " + number(upper);
    case GLP_DB:
      return number(lower) + " .. " + number(upper);
    default:
      return "= " + number(lower);
  }
}

std::string name_or_empty(const char* name) { return name ? name : ""; }

std::string canonical(glp_prob* problem) {
  const int rows = glp_get_num_rows(problem);
  const int columns = glp_get_num_cols(problem);
  std::vector<std::string> column_names(columns + 1);
  for (int j = 1; j <= columns; ++j) column_names[j] = name_or_empty(glp_get_col_name(problem, j));

  std::string text = glp_get_obj_dir(problem) == GLP_MIN ? "min " : "max ";
  text += name_or_empty(glp_get_obj_name(problem)) + " " + number(glp_get_obj_coef(problem, 0));
  std::vector<std::string> objective;
  for (int j = 1; j <= columns; ++j)
    if (glp_get_obj_coef(problem, j) != 0)
      objective.push_back(" " + number(glp_get_obj_coef(problem, j)) + " " + column_names[j]);
  std::sort(objective.begin(), objective.end());
  for (const std::string& term : objective) text += term;
  text += "\n";

  std::vector<std::string> lines;
  std::vector<int> index(columns + 1);
  std::vector<double> value(columns + 1);
  for (int i = 1; i <= rows; ++i) {
    const int length = glp_get_mat_row(problem, i, index.data(), value.data());
    std::vector<std::string> terms;
    for (int k = 1; k <= length; ++k)
      terms.push_back(" " + number(value[k]) + " " + column_names[index[k]]);
    std::sort(terms.begin(), terms.end());
    std::string line = "row " + name_or_empty(glp_get_row_name(problem, i)) + ":";
    for (const std::string& term : terms) line += term;
    line += " " + bounds(glp_get_row_type(problem, i), glp_get_row_lb(problem, i),
                         glp_get_row_ub(problem, i));
    lines.push_back(line + "\n");
  }
  for (int j = 1; j <= columns; ++j) {
    const char* kind = glp_get_col_kind(problem, j) == GLP_CV ? "real" : "integer";
    lines.push_back("column " + column_names[j] + " " + kind + " " +
                    bounds(glp_get_col_type(problem, j), glp_get_col_lb(problem, j),
                           glp_get_col_ub(problem, j)) +
                    "\n");
  }
  std::sort(lines.begin(), lines.end());
  for (const std::string& line : lines) text += line;
  return text;
}

}  // namespace

std::string lp_problem(const std::filesystem::path& lp) {
  std::unique_ptr<glp_prob, ProblemDeleter> problem(glp_create_prob());
  // Keeps the test log readable; restored so that nothing else is silenced.
  const int terminal = glp_term_out(GLP_OFF);
  const bool read = glp_read_lp(problem.get(), nullptr, lp.string().c_str()) == 0;
  glp_term_out(terminal);
  return read ? canonical(problem.get()) : std::string();
}

std::string glpsol_problem(const std::filesystem::path& model, const std::filesystem::path& data) {
  TempFolder scratch;
  std::vector<std::string> command = {VARDELMO_GLPSOL, "--check", "-m", model.string()};
  if (!data.empty()) command.insert(command.end(), {"-d", data.string()});
  command.insert(command.end(), {"--wlp", scratch / "glpsol.lp"});
  if (run_program(command) != 0) throw std::runtime_error("glpsol failed on " + model.string());
  return lp_problem(scratch.path() / "glpsol.lp");
}

}  // namespace vardelmo::test
