#include "batch/batch_record_file.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "base/console.h"
#include "base/files.h"
#include "base/platform.h"
#include "base/process.h"

namespace vardelmo {
namespace {

std::string yes_no(bool value) { return value ? "s" : "n"; }

// The settings file beside the results, under its own name; none when it is
// that very file already.
void copy_settings_file(const std::string& output_folder, const std::string& source) {
  std::error_code error;
  const std::string target = join_path(output_folder, split_path(source).back());
  const std::filesystem::path from = platform::native_path(source, error);
  const std::filesystem::path to = platform::native_path(target, error);
  if (error) return;
  if (std::filesystem::exists(to, error) && std::filesystem::equivalent(from, to, error)) return;
  // Byte for byte, beside it first and then in its place (the C++ library's
  // copy_file cannot replace a file on Windows).
  const std::optional<std::string> bytes = read_whole_file(source, false);
  std::string reason = "não foi possível ler o arquivo";
  if (bytes && write_whole_file(target + ".part", *bytes) &&
      platform::replace_file(target + ".part", target, reason))
    return;
  std::remove((target + ".part").c_str());
  print_error("Não foi possível copiar " + source + " para " + output_folder + ": " + reason +
              "\n");
}

}  // namespace

BatchRecordFile::BatchRecordFile(const std::string& output_folder, const BatchSettings& settings,
                                 const std::string& library_version, std::size_t models)
    : path_(join_path(output_folder, kBatchRecordName)) {
  const SolveSettings& solve = settings.solve;
  const std::string end = platform::line_end;
  text_ = "VERSAO: " VARDELMO_VERSION + end + "SOLVER: " + solve.solver + end +
          "VERSAO_SOLVER: " + library_version + end + "ARQUIVO_PARAMETROS: " + solve.param_file +
          end + "TIME_LIMIT: " + platform::format_fixed_portuguese(solve.time_limit) + end +
          "MEM_LIMIT: " + std::to_string(solve.mem_limit) + end +
          "JOBS: " + std::to_string(settings.jobs) + end + "CLUSTER: " + yes_no(settings.cluster) +
          end + "SAVE_SOL: " + yes_no(settings.save_sol) + end +
          "RESUME: " + yes_no(settings.resume) + end + "MAQUINA: " + platform::host_name() +
          end + "MODELOS: " + std::to_string(models) + end +
          "INICIO: " + platform::local_time_iso8601() + end;
  if (!solve.param_file.empty()) copy_settings_file(output_folder, solve.param_file);
  if (!write_whole_file(path_, text_))
    print_error("Não foi possível gravar " + path_ + "\n");
}

void BatchRecordFile::finish() {
  text_ += "FIM: " + platform::local_time_iso8601() + platform::line_end;
  if (!write_whole_file(path_, text_)) print_error("Não foi possível gravar " + path_ + "\n");
}

}  // namespace vardelmo
