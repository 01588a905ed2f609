#pragma once
#include <cstddef>
#include <string>

#include "base/batch_settings.h"

namespace vardelmo {

/// The record of a batch in its output folder: what made its results.
inline constexpr const char* kBatchRecordName = "sol_lote.txt";

/// `sol_lote.txt`, a "NAME: value" line each, in the results files' line
/// ends: written whole when the batch starts, completed when it ends. The
/// settings file, if any, is copied beside it under its own name.
class BatchRecordFile {
 public:
  /// Writes the record's start; a failure is reported and the batch goes on.
  BatchRecordFile(const std::string& output_folder, const BatchSettings& settings,
                  const std::string& library_version, std::size_t models);
  /// Adds the end time.
  void finish();

 private:
  std::string path_;
  std::string text_;
};

}  // namespace vardelmo
