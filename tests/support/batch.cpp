#include "batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <map>
#include <regex>

namespace vardelmo::test {

std::string mask_times(const std::string& text) {
  static const std::regex console("(TEMPO|Time): [-+.0-9a-z]+\n");
  static const std::regex row("^((?:SCIP|GUROBI|HIGHS);[^\n]*?;)[0-9]+,[0-9]{6};", std::regex::multiline);
  std::string masked = std::regex_replace(text, console, "$1: T\n");
  return std::regex_replace(masked, row, "$1T;");
}

std::string opt_session(const fs::path& models, const fs::path& output,
                        const std::string& before, const std::string& after) {
  return before + "opt\n" + models.string() + "\n" + output.string() + "\n" + after;
}

std::string BatchFolders::csv() const { return read_text_file(output.path() / "sol_stat.csv"); }

ProcessResult BatchFolders::run_opt(const std::string& before, const std::string& program) const {
  return run_vardelmo(opt_session(models.path(), output.path(), before), work.path(), program);
}

void copy_model(const std::string& name, const fs::path& folder, const std::string& as) {
  fs::path source = fs::path(VARDELMO_TEST_MODELS) / "opt" / name;
  if (!fs::exists(source)) source = fs::path(VARDELMO_TESTDATA) / "miplib" / name;
  fs::path target = folder / (as.empty() ? name : as);
  fs::copy_file(source, target, fs::copy_options::overwrite_existing);
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
}

std::string hard_model(bool with_slack) {
  const int rows = 4, columns = 36;
  std::uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % 100;
  };
  std::string objective = "0 x1";
  std::string constraints;
  for (int i = 0; i < rows; ++i) {
    const std::string slack = "s" + std::to_string(i);
    long total = 0;
    constraints += " r" + std::to_string(i) + ":";
    for (int j = 1; j <= columns; ++j) {
      unsigned a = next();
      total += a;
      constraints += " + " + std::to_string(a) + " x" + std::to_string(j);
    }
    if (with_slack) {
      constraints += " + " + slack + "p - " + slack + "m";
      objective += " + " + slack + "p + " + slack + "m";
    }
    constraints += " = " + std::to_string(total / 2) + "\n";
  }
  std::string model = "Minimize\n obj: " + objective + (with_slack ? " + 1000 one" : "") +
                      "\nSubject To\n" + constraints;
  if (with_slack) model += "Bounds\n one = 1\n";
  model += "Binary\n";
  for (int j = 1; j <= columns; ++j) model += " x" + std::to_string(j) + "\n";
  return model + "End\n";
}

std::string dense_model(int rows) {
  const int columns = 1000;
  std::string model = "Maximize\n obj:";
  for (int j = 0; j < columns; ++j)
    model += " + " + std::to_string(1 + j * 7 % 13) + " x" + std::to_string(j);
  model += "\nSubject To\n";
  for (int i = 0; i < rows; ++i) {
    model += " c" + std::to_string(i) + ":";
    for (int j = 0; j < columns; ++j)
      model += " + " + std::to_string(1 + (i * 31 + j * 17) % 97) + " x" + std::to_string(j);
    model += " <= " + std::to_string(1000 + i) + "\n";
  }
  return model + "End\n";
}

std::string results_file(const std::vector<std::string>& rows) {
  std::string text = kResultsHeader;
  for (const std::string& row : rows) text += row + "\n";
  return text;
}

#ifndef _WIN32
std::vector<std::vector<std::string>> read_csv_fields(const fs::path& csv) {
  // Latin-1 maps every byte to one character and back; the reader sends
  // each row back as one line of hex fields, "x" before each.
  const std::string script =
      "import csv, sys\n"
      "with open(sys.argv[1], newline='', encoding='latin-1') as f, open(sys.argv[2], 'w') as o:\n"
      "    for row in csv.reader(f, delimiter=';'):\n"
      "        o.write(' '.join('x' + v.encode('latin-1').hex() for v in row) + '\\n')\n";
  TempFolder io;
  std::vector<std::vector<std::string>> rows;
  if (run_program({"python3", "-c", script, csv.string(), io / "fields"}) != 0) {
    ADD_FAILURE() << "python3's csv module did not read " << csv;
    return rows;
  }
  std::istringstream lines(read_file(io.path() / "fields"));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream hex_fields(line);
    rows.emplace_back();
    for (std::string hex; hex_fields >> hex;) {
      std::string field;
      for (std::size_t i = 1; i + 1 < hex.size(); i += 2)
        field += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
      rows.back().push_back(field);
    }
  }
  return rows;
}
#endif

std::string mask_console(const std::string& out) {
  static const std::regex header("MODELO [0-9]+ \n");
  std::string kept;
  bool in_library_lines = false;
  for (std::size_t at = 0; at < out.size();) {
    std::size_t end = out.find('\n', at);
    end = end == std::string::npos ? out.size() : end + 1;
    const std::string line = out.substr(at, end - at);
    at = end;
    if (in_library_lines && (line.rfind("NOME: ", 0) == 0 || line == std::string(70, '-') + "\n" ||
                             line.rfind("Vardelmo> ", 0) == 0))
      in_library_lines = false;
    if (!in_library_lines) kept += line;
    if (std::regex_match(line, header)) in_library_lines = true;
  }
  return mask_times(kept);
}

std::string blocks_in_entry_order(const std::string& out) {
  static const std::regex header(kSeparator + "MODELO ([0-9]+) \n");
  std::map<int, std::string> blocks;
  std::size_t first = std::string::npos, end = 0;
  for (auto found = std::sregex_iterator(out.begin(), out.end(), header);
       found != std::sregex_iterator(); ++found) {
    const std::size_t at = static_cast<std::size_t>(found->position());
    if (first == std::string::npos) first = at;
    const std::size_t next = out.find(kSeparator, at + found->length());
    end = next != std::string::npos ? next : out.find(kPrompt, at);
    blocks[std::stoi((*found)[1])] = out.substr(at, end - at);
  }
  if (first == std::string::npos) return out;
  std::string ordered = out.substr(0, first);
  for (const auto& [number, block] : blocks) ordered += block;
  return ordered + out.substr(end);
}

std::string mask_library_errors(const std::string& err) {
  static const std::regex library_lines(
      "^(?:WARNING: [^\n]*|\\[(?!Functions\\.cpp:)[^\\]\n]+:[0-9]+\\] ERROR: [^\n]*)\n",
      std::regex::multiline);
  return std::regex_replace(err, library_lines, "");
}

namespace {

const std::map<std::string, double> kClassicOptima = {
    {"bell5.lp", 8966406.49}, {"egout.lp", 568.1007}, {"flugpl.lp", 1201500},
    {"lseu.lp", 1120},        {"p0548.lp", 8691}};

}  // namespace

void copy_classic_instances(const fs::path& folder) {
  for (const auto& [name, value] : kClassicOptima) copy_model(name, folder);
  copy_model("stein27_inf.lp", folder);
}

void expect_classic_results(const std::string& csv, const std::string& solver,
                            const std::string& infeasible_z) {
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line + "\n", kResultsHeader);
  int count = 0;
  std::regex row(solver + ";([a-z0-9_]+\\.lp);[0-9]+,[0-9]{6};([A-Z ]+);([^;]*);");
  while (std::getline(lines, line)) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, row)) << line;
    ++count;
    if (m[1] == "stein27_inf.lp") {
      EXPECT_EQ(m[2], "PROBLEMA INFACTIVEL");
      EXPECT_EQ(m[3], infeasible_z);
      continue;
    }
    EXPECT_EQ(m[2], "SOL OTIMA") << line;
    std::smatch z;
    std::string z_text = m[3];
    ASSERT_TRUE(std::regex_match(z_text, z, std::regex("(-?[0-9]+),([0-9]{6})"))) << line;
    double value = std::stod(z[1].str() + "." + z[2].str());
    double known = kClassicOptima.at(m[1]);
    EXPECT_NEAR(value, known, 1e-6 * std::abs(known)) << line;
  }
  EXPECT_EQ(count, 6);
}

}  // namespace vardelmo::test

namespace vardelmo::test {

void write_classic_references(const fs::path& folder, bool unreadable_line) {
  write_file(folder / "classic.solu",
             std::string("=opt= bell5 8966406.49\n=opt= egout 568.1007\n=opt= flugpl 1201500\n"
                         "=opt= lseu 1121\n=best= p0548 8700\n=inf= stein27_inf\n"
                         "=opt= egout 1\n") +
                 (unreadable_line ? "=opt= lseu\n" : ""));
}


namespace {

// The console line each classic instance gets from classic.solu.
std::string classic_verdict(const std::string& name) {
  if (name == "lseu.lp") return "CONFERE: NAO (referência 1121)\n";
  if (name == "p0548.lp") return "CONFERE: MELHOR (referência 8700)\n";
  return "CONFERE: SIM\n";
}

// CONFERE's word in the details file.
std::string verdict_field(const std::string& name) {
  const std::string line = classic_verdict(name);
  return line.substr(9, line.find_first_of(" \n", 9) - 9);
}

std::vector<std::string> fields_of(const std::string& row) {
  std::vector<std::string> fields;
  std::istringstream split(row);
  for (std::string field; std::getline(split, field, ';');) fields.push_back(field);
  return fields;
}

double comma_number(const std::string& text) {
  return std::stod(std::regex_replace(text, std::regex(","), "."));
}

void expect_classic_details(const std::string& details, const std::string& results) {
  std::istringstream detail_lines(details), result_lines(results);
  std::string detail, result;
  std::getline(detail_lines, detail);
  EXPECT_EQ(detail, "SOLVER;NOME;TEMPO;STATUS;Z;LIMITANTE_DUAL;GAP;NOS;REFERENCIA;CONFERE");
  std::getline(result_lines, result);
  const std::map<std::string, std::string> references = {
      {"bell5.lp", "8966406,490000"}, {"egout.lp", "568,100700"}, {"flugpl.lp", "1201500,000000"},
      {"lseu.lp", "1121,000000"},     {"p0548.lp", "8700,000000"}, {"stein27_inf.lp", "INFACTIVEL"}};
  int count = 0;
  while (std::getline(result_lines, result)) {
    ++count;
    ASSERT_TRUE(std::getline(detail_lines, detail));
    EXPECT_EQ(detail.substr(0, result.size()), result);
    const std::vector<std::string> f = fields_of(detail);
    ASSERT_EQ(f.size(), 10u) << detail;
    EXPECT_EQ(f[8], references.at(f[1])) << detail;
    EXPECT_EQ(f[9], verdict_field(f[1])) << detail;
    EXPECT_TRUE(std::regex_match(f[7], std::regex("[0-9]+,000000"))) << detail;
    if (f[1] == "stein27_inf.lp") {
      EXPECT_EQ(f[5] + f[6], "") << detail;
      continue;
    }
    // Solved to optimality: the bound within the gap, which is none for
    // SCIP and at most HiGHS's default relative gap (0.01 %) for HiGHS.
    const bool highs = f[0] == "HIGHS";
    const double tolerance = highs ? 1e-4 : 1e-6;
    EXPECT_NEAR(comma_number(f[5]), comma_number(f[4]), tolerance * std::abs(comma_number(f[4])));
    if (highs)
      EXPECT_LE(comma_number(f[6]), 0.01) << detail;
    else
      EXPECT_EQ(f[6], "0,000000") << detail;
  }
  EXPECT_EQ(count, 6);
  EXPECT_FALSE(std::getline(detail_lines, detail));
}

void expect_classic_solutions(const fs::path& folder) {
  std::vector<std::string> expected;
  for (const auto& [name, optimum] : kClassicOptima)
    expected.push_back(name.substr(0, name.size() - 3) + ".sol");
  std::vector<std::string> solutions = listing_order(folder);
  std::sort(solutions.begin(), solutions.end());
  ASSERT_EQ(solutions, expected);
  static const std::regex head("# Objective value = (-?[0-9.e+-]+)");
  static const std::regex variable("[^ ]+ -?[0-9.e+-]+");
  for (const auto& [name, optimum] : kClassicOptima) {
    std::istringstream lines(read_text_file(folder / (name.substr(0, name.size() - 3) + ".sol")));
    std::string line;
    std::smatch objective;
    std::getline(lines, line);
    ASSERT_TRUE(std::regex_match(line, objective, head)) << name << ": " << line;
    EXPECT_NEAR(std::stod(objective[1]), optimum, 1e-6 * optimum) << name;
    int variables = 0;
    for (; std::getline(lines, line); ++variables)
      EXPECT_TRUE(std::regex_match(line, variable)) << name << ": " << line;
    EXPECT_GT(variables, 0) << name;
  }
}

}  // namespace

void expect_classic_references_and_solutions(const BatchFolders& batch, const ProcessResult& r) {
  EXPECT_EQ(mask_library_errors(r.err),
            "Linha 8 de " + batch.models / "classic.solu" + " ilegível; ela foi ignorada.\n");
  const std::string console = mask_console(r.out);
  for (const std::string& name : listing_order(batch.models.path())) {
    if (name == "classic.solu") continue;
    const std::string status = name == "stein27_inf.lp" ? "PROBLEMA INFACTIVEL" : "SOL OTIMA";
    EXPECT_NE(console.find(model_block(name, status) + classic_verdict(name)), std::string::npos)
        << name << console;
  }
  expect_classic_details(read_text_file(batch.output.path() / "sol_detalhes.csv"), batch.csv());
  expect_classic_solutions(batch.output.path() / "solucoes");
}

}  // namespace vardelmo::test
