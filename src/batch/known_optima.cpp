#include "batch/known_optima.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/console.h"

namespace vardelmo {
namespace {

// The words of a line, split at blanks.
std::vector<std::string_view> words_of(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    const std::size_t begin = line.find_first_not_of(" \t\r", at);
    if (begin == std::string_view::npos) break;
    const std::size_t end = std::min(line.find_first_of(" \t\r", begin), line.size());
    words.push_back(line.substr(begin, end - begin));
    at = end;
  }
  return words;
}

// A whole word as a number, in the files' own form: a decimal point.
std::optional<double> number_of(std::string_view word) {
  const std::string text(word);
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<Reference> reference_of(const std::vector<std::string_view>& words) {
  const std::string_view tag = words[0];
  if (tag == "=opt=" || tag == "=best=") {
    if (words.size() != 3) return std::nullopt;
    const std::optional<double> value = number_of(words[2]);
    if (!value) return std::nullopt;
    return Reference{tag == "=opt=" ? Reference::Kind::Optimum : Reference::Kind::Best, *value};
  }
  if (words.size() != 2) return std::nullopt;
  return Reference{tag == "=inf=" ? Reference::Kind::Infeasible : Reference::Kind::Unknown, 0};
}

}  // namespace

std::string model_name(const std::string& model_path) {
  std::string name = split_path(model_path).back();
  if (ends_with(name, ".gz")) name.resize(name.size() - 3);
  for (std::string_view format : {".lp", ".mps"})
    if (ends_with(name, format)) return name.substr(0, name.size() - format.size());
  return name;
}

void KnownOptima::read(const FileNameList& entries) {
  for (std::string_view entry : entries) {
    if (!ends_with(entry, ".solu")) continue;
    const std::string path(entry);
    const std::optional<std::string> text = read_whole_file(path, true);
    if (text)
      read_text(*text, path);
    else
      print_error("Não foi possível ler o arquivo de referências " + path + "\n");
  }
}

void KnownOptima::read_text(std::string_view text, const std::string& file) {
  std::size_t number = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::vector<std::string_view> words = words_of(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    ++number;
    if (words.empty() || (words[0] != "=opt=" && words[0] != "=best=" && words[0] != "=inf=" &&
                          words[0] != "=unkn="))
      continue;
    const std::optional<Reference> reference = reference_of(words);
    if (!reference) {
      print_error("Linha " + std::to_string(number) + " de " + file +
                  " ilegível; ela foi ignorada.\n");
      continue;
    }
    references_.emplace(std::string(words[1]), *reference);
  }
}

const Reference* KnownOptima::find(const std::string& model_path) const {
  if (references_.empty()) return nullptr;
  const auto found = references_.find(model_name(model_path));
  return found == references_.end() ? nullptr : &found->second;
}

Verdict check(const Reference& reference, const ModelResult& result) {
  const std::optional<double>& z = result.search.objective;
  const Outcome outcome = result.outcome;
  if (reference.kind == Reference::Kind::Unknown) return Verdict::None;
  // A feasible problem may still be unbounded: only a solution or an
  // unbounded verdict says that one exists.
  const bool feasible = z || outcome == Outcome::Unbounded;
  if (reference.kind == Reference::Kind::Infeasible) {
    if (outcome == Outcome::Infeasible) return Verdict::Agrees;
    return feasible ? Verdict::Contradicts : Verdict::None;
  }
  // A known value: the problem has a solution and a finite optimum.
  if (outcome == Outcome::Infeasible || outcome == Outcome::Unbounded) return Verdict::Contradicts;
  if (!z) return Verdict::None;
  const double v = reference.value;
  const bool close = std::fabs(*z - v) <= std::max(1e-4, 1e-5 * std::max(std::fabs(*z), 1.0));
  const bool better = !close && (result.search.maximize ? *z > v : *z < v);
  const bool proven = outcome == Outcome::Optimal;
  if (reference.kind == Reference::Kind::Optimum) {
    if (proven) return close ? Verdict::Agrees : Verdict::Contradicts;
    return better ? Verdict::Contradicts : Verdict::None;
  }
  if (close) return Verdict::Agrees;
  if (better) return Verdict::Better;
  // Proven worse than a solution known to exist.
  return proven ? Verdict::Contradicts : Verdict::None;
}

}  // namespace vardelmo
