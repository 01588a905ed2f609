#include "results/reported_results.h"

#include <filesystem>
#include <system_error>

#include "base/console.h"
#include "base/files.h"
#include "base/platform.h"
#include "base/process.h"

namespace vardelmo {

void ReportedResultsFile::finish(std::size_t entry, std::optional<std::string_view> row) {
  switch (file_.finish(entry, row)) {
    case ResultsFile::Update::Unchanged:
      return;
    case ResultsFile::Update::Written:
      if (failing_) print_error("O arquivo " + file_.path() + " foi gravado novamente.\n");
      failing_ = false;
      return;
    case ResultsFile::Update::Failed:
      if (!failing_)
        print_error("Não foi possível gravar " + file_.path() + ": " + file_.failure() +
                    "; as linhas ficam guardadas e serão gravadas assim que possível.\n");
      failing_ = true;
      return;
  }
}

std::string ReportedResultsFile::name() const { return split_path(file_.path()).back(); }

void ReportedResultsFile::settle() {
  if (!file_.behind() || elsewhere_) return;
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  const std::string copy =
      error ? std::string()
            : join_path(platform::narrow_name(folder, error),
                        "vardelmo-" + std::to_string(platform::process_id()) + "-" + name());
  std::string reason;
  if (!error && file_.write_copy(copy, reason)) {
    print_error("O arquivo " + file_.path() +
                " não pôde ser gravado; todas as suas linhas estão em " + copy + ".\n");
    elsewhere_ = copy;
    return;
  }
  print_error("O arquivo " + file_.path() +
              " não pôde ser gravado em parte alguma; suas linhas seguem na saída.\n");
  print(file_.lines());
  elsewhere_ = "linhas na saída acima";
}

}  // namespace vardelmo
