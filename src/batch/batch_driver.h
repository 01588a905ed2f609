#pragma once
#include "base/batch_settings.h"
#include "base/files.h"

namespace vardelmo {

/// The model paths of the current batch, kept until the next batch lists.
extern FileNameList model_files;

/// Command `opt`: solves every entry of a folder under `settings` and keeps
/// the output folder's results files complete after each model.
void optimize_lp_folder(const BatchSettings& settings);

}  // namespace vardelmo
