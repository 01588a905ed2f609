#include "compare/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>

#include "results/rows.h"

namespace vardelmo {
namespace {

const char* const kSummaryHeader =
    "EXECUCAO;MODELOS;RESOLVIDOS;LIMITE;FALHAS;MG_TEMPO;MG_TEMPO_RESOLVIDOS;RAZAO;VITORIAS;MG_NOS";

std::string optional_text(const std::optional<double>& value) {
  return value ? number_text(*value) : std::string();
}

std::vector<std::string> summary_fields(const Run& run, const RunSummary& s) {
  return {run.label,
          std::to_string(s.models),
          std::to_string(s.solved),
          std::to_string(s.limit),
          std::to_string(s.failures),
          optional_text(s.mean_time),
          optional_text(s.mean_time_solved),
          optional_text(s.ratio),
          std::to_string(s.wins),
          optional_text(s.mean_nodes)};
}

std::string short_number(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string s = text;
  std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

const char* const kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                                "#ff7f0e", "#8c564b", "#e377c2", "#17becf"};
const char* colour(std::size_t run) { return kColours[run % (sizeof kColours / sizeof *kColours)]; }
// Runs with equal curves still show each: each its own dashes.
const char* dashes(std::size_t run) {
  const char* const kDashes[] = {"none", "8 3", "3 3", "10 3 3 3"};
  return kDashes[run % 4];
}

const char* class_word(RunClass kind) {
  switch (kind) {
    case RunClass::Solved: return "resolvido";
    case RunClass::Limit: return "limite";
    case RunClass::Failure: break;
  }
  return "falha";
}

// Chart geometry: the plot area inside the SVG's margins.
constexpr double kWidth = 640, kHeight = 320, kLeft = 56, kRight = 16, kTop = 12, kBottom = 44;
double plot_x(double fraction) { return kLeft + fraction * (kWidth - kLeft - kRight); }
double plot_y(double fraction) { return kHeight - kBottom - fraction * (kHeight - kTop - kBottom); }
std::string svg_number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

/// A step chart: one polyline per run through `points` (x and y as
/// fractions of the axes), with the axes' ticks and titles (HTML already).
std::string chart(const std::string& id, const std::vector<Run>& runs,
                  const std::vector<std::vector<CurvePoint>>& fractions,
                  const std::vector<std::pair<double, std::string>>& x_ticks,
                  const std::vector<std::pair<double, std::string>>& y_ticks,
                  const std::string& x_title, const std::string& y_title) {
  std::string svg = "<svg id=\"" + id + "\" class=\"grafico\" viewBox=\"0 0 " + svg_number(kWidth) +
                    " " + svg_number(kHeight) + "\" role=\"img\">\n";
  for (const auto& [at, text] : x_ticks)
    svg += "<line class=\"grade\" x1=\"" + svg_number(plot_x(at)) + "\" x2=\"" +
           svg_number(plot_x(at)) + "\" y1=\"" + svg_number(plot_y(0)) + "\" y2=\"" +
           svg_number(plot_y(1)) + "\"/><text x=\"" + svg_number(plot_x(at)) + "\" y=\"" +
           svg_number(plot_y(0) + 16) + "\" text-anchor=\"middle\">" + escaped(text) + "</text>\n";
  for (const auto& [at, text] : y_ticks)
    svg += "<line class=\"grade\" x1=\"" + svg_number(plot_x(0)) + "\" x2=\"" +
           svg_number(plot_x(1)) + "\" y1=\"" + svg_number(plot_y(at)) + "\" y2=\"" +
           svg_number(plot_y(at)) + "\"/><text x=\"" + svg_number(plot_x(0) - 6) + "\" y=\"" +
           svg_number(plot_y(at) + 4) + "\" text-anchor=\"end\">" + escaped(text) + "</text>\n";
  svg += "<rect class=\"eixos\" x=\"" + svg_number(plot_x(0)) + "\" y=\"" + svg_number(plot_y(1)) +
         "\" width=\"" + svg_number(plot_x(1) - plot_x(0)) + "\" height=\"" +
         svg_number(plot_y(0) - plot_y(1)) + "\"/>\n";
  svg += "<text x=\"" + svg_number(plot_x(0.5)) + "\" y=\"" + svg_number(kHeight - 6) +
         "\" text-anchor=\"middle\">" + x_title + "</text>\n";
  svg += "<text transform=\"translate(14 " + svg_number(plot_y(0.5)) +
         ") rotate(-90)\" text-anchor=\"middle\">" + y_title + "</text>\n";
  for (std::size_t r = 0; r < runs.size(); ++r) {
    // A point on the line through the two before it, at the drawing's
    // resolution, takes the place of the last: thousands of models draw
    // with a few hundred points.
    std::vector<std::pair<std::string, std::string>> kept;
    auto add = [&kept](double x, double y) {
      std::pair<std::string, std::string> point{svg_number(plot_x(x)), svg_number(plot_y(y))};
      if (!kept.empty() && kept.back() == point) return;
      const std::size_t n = kept.size();
      if (n >= 2 && ((kept[n - 1].first == point.first && kept[n - 2].first == point.first) ||
                     (kept[n - 1].second == point.second && kept[n - 2].second == point.second)))
        kept.back() = std::move(point);
      else
        kept.push_back(std::move(point));
    };
    double y = 0;
    add(0, 0);
    for (const CurvePoint& p : fractions[r]) {
      add(p.x, y);
      y = p.y;
      add(p.x, y);
    }
    add(1, y);
    std::string points;
    for (const auto& [px, py] : kept) points += (points.empty() ? "" : " ") + px + "," + py;
    svg += "<polyline class=\"curva\" data-execucao=\"" + escaped(runs[r].label) +
           "\" stroke=\"" + colour(r) + "\" stroke-dasharray=\"" + dashes(r) + "\" points=\"" + points + "\"/>\n";
  }
  return svg + "</svg>\n";
}

std::string legend(const std::vector<Run>& runs) {
  std::string html = "<ul class=\"legenda\">";
  for (std::size_t r = 0; r < runs.size(); ++r)
    html += "<li><span class=\"cor\" style=\"background:" + std::string(colour(r)) + "\"></span>" +
            escaped(runs[r].label) + "</li>";
  return html + "</ul>\n";
}

const char* const kStyle = R"(body{font-family:"DejaVu Sans",Arial,Helvetica,sans-serif;color:#222;margin:2em auto;max-width:60em;padding:0 1em;line-height:1.4}
h1{font-size:1.6em;margin-bottom:.2em}h2{font-size:1.2em;margin-top:1.6em;border-bottom:1px solid #ccc}
table{border-collapse:collapse;font-size:.9em;margin:.5em 0}th,td{border:1px solid #ccc;padding:.2em .5em;text-align:right}
th{background:#eee}td.nome,th.nome{text-align:left}tr.inconsistente td{background:#fde0dc}
td.melhor{font-weight:bold}.largo{overflow-x:auto}#modelos td{white-space:nowrap}.marca{color:#b71c1c;font-weight:bold}
svg.grafico{width:100%;max-width:40em;height:auto;display:block}svg text{font-size:12px;fill:#333}
.grade{stroke:#ddd;stroke-width:1}.eixos{fill:none;stroke:#444}.curva{fill:none;stroke-width:2}
.legenda{list-style:none;padding:0}.legenda li{display:inline-block;margin-right:1.5em}
.cor{display:inline-block;width:1.2em;height:.8em;margin-right:.4em;vertical-align:middle}
.barra{display:flex;height:1.4em;max-width:40em;border:1px solid #999;margin:.2em 0 .8em}
.barra span{display:block;height:100%}.resolvido{background:#4caf50}.limite{background:#ffb300}.falha{background:#e53935}
@media print{body{margin:0;max-width:none;font-size:10pt}h2{break-after:avoid}svg.grafico,.barra{break-inside:avoid}
*{-webkit-print-color-adjust:exact;print-color-adjust:exact}tr{break-inside:avoid}}
)";

}  // namespace

std::string summary_csv(const std::vector<Run>& runs, const Comparison& c,
                        const std::string& line_end) {
  std::string text = kSummaryHeader + line_end;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    std::vector<std::string> fields = summary_fields(runs[r], c.summaries[r]);
    fields[0] = name_field(fields[0]);
    for (std::size_t i = 0; i < fields.size(); ++i) text += (i ? ";" : "") + fields[i];
    text += line_end;
  }
  return text;
}

std::string models_csv(const std::vector<Run>& runs, const Comparison& c,
                       const std::string& line_end) {
  std::string text = "NOME;EXECUCAO;STATUS;TEMPO;Z;LIMITANTE_DUAL;GAP;NOS;INCONSISTENTE" + line_end;
  for (std::size_t m = 0; m < c.models.size(); ++m)
    for (std::size_t r = 0; r < runs.size(); ++r) {
      const RunRow& row = runs[r].rows[c.rows[m][r]];
      text += name_field(row.name) + ";" + name_field(runs[r].label) + ";" +
              outcome_word(row.outcome) + ";" + number_text(row.seconds) + ";" +
              optional_text(row.z) + ";" + optional_text(row.dual_bound) + ";" +
              optional_text(row.gap) + ";" + optional_text(row.nodes) + ";" +
              (c.inconsistent[m] ? "SIM" : "NAO") + line_end;
    }
  return text;
}

std::string profile_csv(const std::vector<Run>& runs, const Comparison& c,
                        const std::string& line_end) {
  std::string text = "TAU";
  for (const Run& run : runs) text += ";" + name_field(run.label);
  text += line_end;
  for (std::size_t t = 0; t < c.taus.size(); ++t) {
    text += number_text(c.taus[t]);
    for (double share : c.shares[t]) text += ";" + number_text(share);
    text += line_end;
  }
  return text;
}

std::string console_report(const std::vector<Run>& runs, const Comparison& c) {
  std::vector<std::vector<std::string>> table;
  std::vector<std::string> header;
  for (std::string_view rest = kSummaryHeader;;) {
    const std::size_t cut = rest.find(';');
    header.emplace_back(rest.substr(0, cut));
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  table.push_back(header);
  for (std::size_t r = 0; r < runs.size(); ++r)
    table.push_back(summary_fields(runs[r], c.summaries[r]));
  std::vector<std::size_t> width(header.size(), 0);
  for (const auto& line : table)
    for (std::size_t i = 0; i < line.size(); ++i) width[i] = std::max(width[i], line[i].size());
  std::string text = "\n";
  for (const auto& line : table) {
    for (std::size_t i = 0; i < line.size(); ++i) {
      const std::string pad(width[i] - line[i].size(), ' ');
      // The label to the left, the numbers to the right.
      text += i == 0 ? line[i] + pad : "  " + pad + line[i];
    }
    text += "\n";
  }
  std::string inconsistent;
  for (std::size_t m = 0; m < c.models.size(); ++m)
    if (c.inconsistent[m]) inconsistent += "  " + c.models[m] + "\n";
  text += "\nModelos inconsistentes: " +
          (inconsistent.empty() ? std::string("nenhum\n") : "\n" + inconsistent);
  std::string missing;
  for (const std::string& name : c.missing) missing += "  " + name + "\n";
  text += "Modelos ausentes de alguma pasta: " +
          (missing.empty() ? std::string("nenhum\n") : "\n" + missing);
  return text;
}

std::string html_report(const std::vector<Run>& runs, const Comparison& c,
                        const std::string& charset, const std::string& line_end) {
  const std::size_t n = c.models.size();
  std::string h = "<!DOCTYPE html>\n<html lang=\"pt-BR\">\n<head>\n<meta charset=\"" + charset +
                  "\">\n<title>Vardelmo: comparação de execuções</title>\n<style>\n" + kStyle +
                  "</style>\n</head>\n<body>\n";
  h += "<h1>Comparação de execuções</h1>\n<p>" + std::to_string(runs.size()) +
       (runs.size() == 1 ? " execução" : " execuções") + ", " + std::to_string(n) +
       " modelos comparados";
  if (!c.missing.empty())
    h += " (" + std::to_string(c.missing.size()) + " ausentes de alguma pasta, fora da comparação)";
  h += ".</p>\n";

  h += "<h2>Resumo</h2>\n<table id=\"resumo\">\n<tr><th class=\"nome\">Execução</th><th>Modelos</th>"
       "<th>Resolvidos</th><th>Limite</th><th>Falhas</th><th>Média geom. tempo (s)</th>"
       "<th>Média geom. tempo, resolvidos por todas (s)</th><th>Razão</th><th>Vitórias</th>"
       "<th>Média geom. nós</th></tr>\n";
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const RunSummary& s = c.summaries[r];
    auto cell = [](const std::optional<double>& v, int decimals) {
      return "<td>" + (v ? short_number(*v, decimals) : std::string("&ndash;")) + "</td>";
    };
    h += "<tr><td class=\"nome\"><span class=\"cor\" style=\"background:" + std::string(colour(r)) +
         "\"></span>" + escaped(runs[r].label) + "</td><td>" + std::to_string(s.models) +
         "</td><td>" + std::to_string(s.solved) + "</td><td>" + std::to_string(s.limit) +
         "</td><td>" + std::to_string(s.failures) + "</td>" + cell(s.mean_time, 2) +
         cell(s.mean_time_solved, 2) + cell(s.ratio, 2) + "<td>" + std::to_string(s.wins) +
         "</td>" + cell(s.mean_nodes, 1) + "</tr>\n";
  }
  h += "</table>\n<p>Médias geométricas deslocadas (tempo: 1 s; nós: 100). Razão: a média de "
       "tempo da execução sobre a menor. Vitórias: modelos que a execução resolveu e que as "
       "outras levaram ao menos 10 % e 0,2 s a mais para resolver, ou não resolveram.</p>\n";

  // Performance profile, log2 τ from 1 to the largest ratio.
  double largest = 2;
  for (double tau : c.taus) largest = std::max(largest, tau);
  const double span = std::ceil(std::log2(largest));
  std::vector<std::vector<CurvePoint>> profile(runs.size());
  for (std::size_t t = 0; t < c.taus.size(); ++t)
    for (std::size_t r = 0; r < runs.size(); ++r) {
      std::vector<CurvePoint>& curve = profile[r];
      const double share = c.shares[t][r];
      const double before = curve.empty() ? 0 : curve.back().y;
      if (share != before) curve.push_back({std::log2(c.taus[t]) / span, share});
    }
  std::vector<std::pair<double, std::string>> x_ticks, y_ticks;
  const int step = span > 10 ? static_cast<int>(std::ceil(span / 10)) : 1;
  for (int k = 0; k <= span; k += step)
    x_ticks.push_back({k / span, std::to_string(1 << std::min(k, 30))});
  for (int k = 0; k <= 4; ++k) y_ticks.push_back({k / 4.0, short_number(k / 4.0, 2)});
  h += "<h2>Perfil de desempenho</h2>\n<p>Fração dos modelos que cada execução resolve em até "
       "&tau; vezes o tempo da melhor execução no modelo (eixo de &tau; em escala log<sub>2</sub>)."
       "</p>\n";
  h += chart("perfil", runs, profile, x_ticks, y_ticks, "&tau; (escala log&#8322;)", "fração dos modelos") +
       legend(runs);

  // Solved against time, log10 from 0.01 s to the longest time.
  double longest = 1;
  for (const auto& curve : c.solved_by_time)
    if (!curve.empty()) longest = std::max(longest, curve.back().x);
  const double low = std::log10(0.01), high = std::ceil(std::log10(longest));
  std::vector<std::vector<CurvePoint>> solved(runs.size());
  for (std::size_t r = 0; r < runs.size(); ++r)
    for (const CurvePoint& p : c.solved_by_time[r])
      solved[r].push_back({(std::log10(p.x) - low) / (high - low), n ? p.y / n : 0});
  x_ticks.clear();
  y_ticks.clear();
  for (int k = static_cast<int>(low); k <= high; ++k) {
    const double seconds = std::pow(10.0, k);
    x_ticks.push_back({(k - low) / (high - low),
                       k < 0 ? short_number(seconds, -k) : short_number(seconds, 0)});
  }
  for (int k = 0; k <= 4; ++k)
    y_ticks.push_back({k / 4.0, short_number(n * k / 4.0, n % 4 == 0 || n > 40 ? 0 : 1)});
  h += "<h2>Modelos resolvidos ao longo do tempo</h2>\n";
  h += chart("resolvidos", runs, solved, x_ticks, y_ticks, "tempo (s, escala log)",
             "modelos resolvidos") +
       legend(runs);

  h += "<h2>Status por execução</h2>\n";
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const RunSummary& s = c.summaries[r];
    h += "<p>" + escaped(runs[r].label) + ": " + std::to_string(s.solved) + " resolvidos, " +
         std::to_string(s.limit) + " no limite, " + std::to_string(s.failures) + " falhas</p>\n";
    h += "<div class=\"barra\">";
    const std::pair<std::size_t, RunClass> parts[] = {
        {s.solved, RunClass::Solved}, {s.limit, RunClass::Limit}, {s.failures, RunClass::Failure}};
    for (const auto& [count, kind] : parts)
      if (count > 0)
        h += "<span class=\"" + std::string(class_word(kind)) + "\" style=\"width:" +
             svg_number(100.0 * count / s.models) +
             "%\" title=\"" + std::to_string(count) + "\"></span>";
    h += "</div>\n";
  }
  h += "<p><span class=\"cor resolvido\"></span>resolvido <span class=\"cor limite\"></span>"
       "limite <span class=\"cor falha\"></span>falha</p>\n";

  std::size_t inconsistent = 0;
  for (bool i : c.inconsistent) inconsistent += i;
  h += "<h2>Modelos</h2>\n<p>" +
       (inconsistent == 0 ? std::string("Nenhum modelo inconsistente.")
                          : std::to_string(inconsistent) +
                                " modelo(s) inconsistente(s), marcados com <span class=\"marca\">"
                                "&#9888; inconsistente</span>: as execuções se contradizem.") +
       " Em negrito, o melhor tempo entre as execuções que resolveram o modelo.</p>\n";
  h += "<div class=\"largo\"><table id=\"modelos\">\n<tr><th class=\"nome\">Modelo</th>";
  for (const Run& run : runs)
    h += "<th>" + escaped(run.label) + "<br>status</th><th>tempo (s)</th><th>Z</th>";
  h += "<th class=\"nome\">Melhor</th></tr>\n";
  for (std::size_t m = 0; m < n; ++m) {
    std::optional<std::size_t> best;
    for (std::size_t r = 0; r < runs.size(); ++r) {
      const RunRow& row = runs[r].rows[c.rows[m][r]];
      if (class_of(row) == RunClass::Solved &&
          (!best || row.seconds < runs[*best].rows[c.rows[m][*best]].seconds))
        best = r;
    }
    h += std::string(c.inconsistent[m] ? "<tr class=\"inconsistente\">" : "<tr>") +
         "<td class=\"nome\">" + escaped(c.models[m]) +
         (c.inconsistent[m] ? " <span class=\"marca\">&#9888; inconsistente</span>" : "") + "</td>";
    for (std::size_t r = 0; r < runs.size(); ++r) {
      const RunRow& row = runs[r].rows[c.rows[m][r]];
      h += "<td class=\"" + std::string(class_word(class_of(row))) + "-texto\">" +
           escaped(outcome_word(row.outcome)) + "</td><td" +
           (best == r ? " class=\"melhor\"" : "") + ">" + short_number(row.seconds, 2) +
           "</td><td>" + (row.z && std::fabs(*row.z) < 1e20 ? short_number(*row.z, 4) : std::string()) + "</td>";
    }
    h += "<td class=\"nome\">" + (best ? escaped(runs[*best].label) : std::string("&ndash;")) +
         "</td></tr>\n";
  }
  h += "</table></div>\n</body>\n</html>\n";
  if (line_end == "\n") return h;
  std::string converted;
  for (char ch : h) ch == '\n' ? converted += line_end : converted += ch;
  return converted;
}

}  // namespace vardelmo
