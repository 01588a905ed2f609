#pragma once
// A gzip-compressed model unpacked for a solver whose library reads no gzip.

#include <string>

#include "base/own_folder.h"

namespace vardelmo {

/// The text of the model at `model_path` (gzip, one member or several) in a
/// file of its own: in a folder of this process's own in the temporary
/// folder, named as the model without ".gz", since the solver's reader goes
/// by the name. Removed when the object goes.
class UnpackedModel {
 public:
  explicit UnpackedModel(const std::string& model_path);
  UnpackedModel(const UnpackedModel&) = delete;
  UnpackedModel& operator=(const UnpackedModel&) = delete;

  /// The copy, in the process code page; empty when there is none.
  [[nodiscard]] const std::string& path() const { return path_; }
  /// Why there is none: the system's or zlib's words.
  [[nodiscard]] const std::string& failure() const { return failure_; }

 private:
  OwnFolder folder_;
  std::string path_;
  std::string failure_;
};

}  // namespace vardelmo
