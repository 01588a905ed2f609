#pragma once
#include "base/files.h"

namespace vardelmo {

/// The model paths of the current batch, kept until the next batch lists.
extern FileNameList model_files;

/// Command `opt`: solves every entry of a folder with the chosen solver and
/// keeps the output folder's results file complete after each model.
void optimize_lp_folder();

}  // namespace vardelmo
