// `compare` through the binary, over real batches of the classic instances.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>
#include <set>
#include <cstdlib>
#include <sstream>

#include "batch.h"

namespace vardelmo::test {
namespace {

const std::string kAskRun = "Digite o caminho de uma pasta de resultados (vazio para terminar)> ";
const std::string kAskReport = "Digite o caminho da pasta para gerar o relatório> ";

std::vector<std::string> split(const std::string& text, char by) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, by)) parts.push_back(part);
  if (!text.empty() && text.back() == by) parts.emplace_back();
  return parts;
}
// As the program writes its files: CR LF on Windows.
std::string with_program_line_ends(const std::string& text) {
#ifdef _WIN32
  return std::regex_replace(text, std::regex("\n"), "\r\n");
#else
  return text;
#endif
}
double number(const std::string& text) {
  return std::stod(std::regex_replace(text, std::regex(","), "."));
}

// Four results folders: SCIP with its batch record; SCIP again with a time
// limit; the first with bell5's optimum altered; the second as an earlier
// version left it (no details), with a quoted name no other folder has.
class Compare : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folders = new Folders;
    const std::string models = VARDELMO_TESTDATA "/miplib";
    run_vardelmo("opt\n" + models + "\n" + (folders->a / "") + "\ntime_limit\n100\nopt\n" +
                     models + "\n" + (folders->b / "") + "\nexit\n",
                 folders->work.path());
    write_file(folders->a.path() / "sol_lote.txt", "SOLVER: SCIP\nVERSAO_SOLVER: 10.0.2\n");
    // The second as a batch that left no record.
    fs::remove(folders->b.path() / "sol_lote.txt");
    for (const char* file : {"sol_stat.csv", "sol_detalhes.csv"}) {
      write_file(folders->altered.path() / file,
                 std::regex_replace(read_file(folders->a.path() / file),
                                    std::regex("bell5.lp;([0-9,]+);SOL OTIMA;8966406"),
                                    "bell5.lp;$1;SOL OTIMA;9966406"));
    }
    write_file(folders->old.path() / "sol_stat.csv",
               with_program_line_ends(read_text_file(folders->b.path() / "sol_stat.csv") +
                                      "SCIP;\"a;b\"\"c.lp\";1,000000;SOL OTIMA;2,000000;\n"));
  }
  static void TearDownTestSuite() { delete folders; }
  struct Folders {
    TempFolder work, a, b, altered, old, report;
  };
  static Folders* folders;
};
Compare::Folders* Compare::folders = nullptr;

TEST_F(Compare, TableModelsAndProfileAgreeWithTheBatchesFiles) {
  Folders& f = *folders;
  const std::string models = VARDELMO_TESTDATA "/miplib";
  const std::string input = "compare\n" + (f.a / "") + "\n" + (f.b / "") + "\n" + models + "\n" +
                            (f.work / "nenhuma") + "\n" + (f.altered / "") + "\n" + (f.old / "") +
                            "\n\n" + f.report.path().string() + "\nexit\n";
  const ProcessResult r = run_vardelmo(input, f.work.path());
  EXPECT_EQ(r.err, "A pasta " + models + " não tem sol_stat.csv; não foi incluída.\n"
                   "A pasta " + (f.work / "nenhuma") + " não existe; não foi incluída.\n");
  EXPECT_EQ(r.status, 0);

  const std::string b_label = "SCIP " + f.b.path().filename().string();
  const std::string altered_label = "SCIP " + f.altered.path().filename().string();
  const std::string old_label = "SCIP " + f.old.path().filename().string();
  const std::vector<std::string> labels = {"SCIP 10.0.2", b_label, altered_label, old_label};
  // Per run, per model: status, time.
  std::map<std::string, std::map<std::string, std::pair<std::string, double>>> rows;
  const std::string per_model = read_text_file(f.report.path() / "comparacao_modelos.csv");
  std::vector<std::string> lines = split(per_model, '\n');
  EXPECT_EQ(lines[0], "NOME;EXECUCAO;STATUS;TEMPO;Z;LIMITANTE_DUAL;GAP;NOS;INCONSISTENTE");
  ASSERT_EQ(lines.size(), 2 + 6 * 4u);
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    const std::vector<std::string> field = split(lines[i], ';');
    rows[field[1]][field[0]] = {field[2], number(field[3])};
    EXPECT_EQ(field[8], field[0] == "bell5.lp" ? "SIM" : "NAO") << lines[i];
    // The earlier version's folder gives no details.
    if (field[1] == old_label) {
      EXPECT_EQ(field[7], "");
    }
  }

  // The table, recomputed: every model solved by every run.
  const std::vector<std::string> table =
      split(read_text_file(f.report.path() / "comparacao.csv"), '\n');
  EXPECT_EQ(table[0], "EXECUCAO;MODELOS;RESOLVIDOS;LIMITE;FALHAS;MG_TEMPO;MG_TEMPO_RESOLVIDOS;"
                      "RAZAO;VITORIAS;MG_NOS");
  ASSERT_EQ(table.size(), 6u);
  std::vector<double> means;
  for (const std::string& label : labels) {
    double sum = 0;
    for (const auto& [name, row] : rows[label]) sum += std::log(row.second + 1);
    means.push_back(std::exp(sum / 6) - 1);
  }
  const double smallest = *std::min_element(means.begin(), means.end());
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const std::vector<std::string> field = split(table[1 + i], ';');
    EXPECT_EQ(std::vector<std::string>(field.begin(), field.begin() + 5),
              (std::vector<std::string>{labels[i], "6", "6", "0", "0"}));
    EXPECT_NEAR(number(field[5]), means[i], 2e-6);
    EXPECT_EQ(field[6], field[5]);
    EXPECT_NEAR(number(field[7]), means[i] / smallest, 1e-5);
    EXPECT_EQ(field[9], "");  // nodes: the old folder has none
  }

  // The profile's points: τ = 1, then each model's ratio to its best time.
  std::vector<std::vector<double>> ratios(labels.size());
  std::set<double> taus = {1};
  for (const auto& [name, row] : rows[labels[0]]) {
    double best = 1e300;
    for (const std::string& label : labels) best = std::min(best, std::max(rows[label][name].second, 0.01));
    for (std::size_t i = 0; i < labels.size(); ++i)
      ratios[i].push_back(std::max(rows[labels[i]][name].second, 0.01) / best);
  }
  const std::vector<std::string> profile =
      split(read_text_file(f.report.path() / "perfil_desempenho.csv"), '\n');
  EXPECT_EQ(profile[0], "TAU;SCIP 10.0.2;" + b_label + ";" + altered_label + ";" + old_label);
  double last_tau = 0;
  for (std::size_t p = 1; p + 1 < profile.size(); ++p) {
    const std::vector<std::string> field = split(profile[p], ';');
    const double tau = number(field[0]);
    EXPECT_GT(tau, last_tau);
    last_tau = tau;
    for (std::size_t i = 0; i < labels.size(); ++i) {
      const auto within = std::count_if(ratios[i].begin(), ratios[i].end(),
                                        [&](double ratio) { return ratio <= tau + 1e-6; });
      EXPECT_NEAR(number(field[1 + i]), within / 6.0, 1e-6) << profile[p];
    }
  }
  EXPECT_EQ(profile[1].substr(0, 9), "1,000000;");
  EXPECT_EQ(split(profile[profile.size() - 2], ';'),
            (std::vector<std::string>{profile[profile.size() - 2].substr(0, profile[profile.size() - 2].find(';')),
                                      "1,000000", "1,000000", "1,000000", "1,000000"}));

  // The console: the table as comparacao.csv has it, then the models.
  std::string expected_table;
  for (std::size_t i = 0; i + 1 < table.size(); ++i) expected_table += table[i] + ";\n";
  const std::string out = r.out;
  const std::size_t start = out.find(kAskReport) + kAskReport.size() + 1;
  const std::size_t end = out.find("\nModelos inconsistentes");
  ASSERT_NE(end, std::string::npos);
  EXPECT_EQ(std::regex_replace(out.substr(start, end - start), std::regex("  +|\n"), ";"),
            std::regex_replace(expected_table, std::regex("\n"), ""));
  std::string asks;
  for (int i = 0; i < 7; ++i) asks += kAskRun;
  EXPECT_EQ(out.substr(0, start - 1), kBanner + kPrompt + asks + kAskReport);
  const std::string report = f.report.path().string() + kPathSeparator;
  EXPECT_EQ(out.substr(end), "\nModelos inconsistentes: \n  bell5.lp\n"
                             "Modelos ausentes de alguma pasta: \n  a;b\"c.lp\n"
                             "Arquivos gravados:\n  " + report + "comparacao.csv\n  " + report +
                             "comparacao_modelos.csv\n  " + report + "perfil_desempenho.csv\n  " +
                             report + "relatorio.html\n" + kPrompt + kBye);
  for (const char* file : {"comparacao.csv", "perfil_desempenho.csv", "relatorio.html"})
    EXPECT_TRUE(fs::exists(f.report.path() / file));
  EXPECT_FALSE(fs::exists(f.report.path() / "relatorio.html.tmp"));
}

TEST_F(Compare, NoFolderComparesNothingAndEqualLabelsGetTheirFolders) {
  Folders& f = *folders;
  ProcessResult r = run_vardelmo("compare\n\nexit\n", f.work.path());
  EXPECT_EQ(r.out, kBanner + kPrompt + kAskRun +
                       "Nenhuma pasta de resultados; nada a comparar.\n" + kPrompt + kBye);
  TempFolder report;
  r = run_vardelmo("compare\n" + (f.a / "") + "\n" + (f.a / "") + "\n\n" +
                       report.path().string() + "\nexit\n",
                   f.work.path());
  EXPECT_EQ(split(read_text_file(report.path() / "perfil_desempenho.csv"), '\n')[0],
            "TAU;SCIP 10.0.2 [" + (f.a / "") + "];SCIP 10.0.2 [" + (f.a / "") + "]");
}

#ifndef _WIN32
// Headless Chromium renders the page: its charts in a screenshot, a curve
// per run in each chart of the DOM.
TEST_F(Compare, ThePageRendersInABrowserWithACurvePerRun) {
  if (run_program({"sh", "-c", "command -v chromium"}) != 0)
    GTEST_SKIP() << "chromium is not installed (scripts/test installs it)";
  Folders& f = *folders;
  TempFolder report;
  run_vardelmo("compare\n" + (f.a / "") + "\n" + (f.b / "") + "\n" + (f.altered / "") + "\n\n" +
                   report.path().string() + "\nexit\n",
               f.work.path());
  const std::string page = "file://" + (report / "relatorio.html");
  const std::string browser = "chromium --headless --no-sandbox --disable-gpu ";
  const std::string shot = getenv("VARDELMO_REPORT_SCREENSHOT") ? getenv("VARDELMO_REPORT_SCREENSHOT")
                                                                : report / "tela.png";
  ASSERT_EQ(run_program({"sh", "-c", browser + "--window-size=1000,2200 --screenshot=" + shot +
                                          " " + page + " 2>/dev/null"}),
            0);
  EXPECT_GT(fs::file_size(shot), 20000u);
  ASSERT_EQ(run_program({"sh", "-c", browser + "--dump-dom " + page + " >" + (report / "dom") +
                                          " 2>/dev/null"}),
            0);
  const std::string dom = read_file(report.path() / "dom");
  for (const std::string chart : {"perfil", "resolvidos"}) {
    const std::size_t at = dom.find("<svg id=\"" + chart + "\"");
    ASSERT_NE(at, std::string::npos) << chart;
    const std::string svg = dom.substr(at, dom.find("</svg>", at) - at);
    std::vector<std::string> curves;
    const std::regex curve("<polyline class=\"curva\" data-execucao=\"([^\"]*)\"");
    for (std::sregex_iterator it(svg.begin(), svg.end(), curve), end; it != end; ++it)
      curves.push_back((*it)[1]);
    EXPECT_EQ(curves, (std::vector<std::string>{"SCIP 10.0.2", "SCIP " + f.b.path().filename().string(),
                                                "SCIP " + f.altered.path().filename().string()}));
  }
}
#endif

}  // namespace
}  // namespace vardelmo::test
