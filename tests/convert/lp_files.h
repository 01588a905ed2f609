#pragma once
#include <filesystem>
#include <string>

namespace vardelmo::test {

/// The problem an LP file describes, as a text that depends on neither the
/// order of rows, columns and terms nor the layout of the file: two LP files
/// compare equal exactly when they hold the same problem. Empty when GLPK
/// cannot read the file.
std::string lp_problem(const std::filesystem::path& lp);

/// lp_problem of the LP file that `glpsol --check` writes for `model`, read
/// with `data` when that is not empty.
std::string glpsol_problem(const std::filesystem::path& model,
                           const std::filesystem::path& data = {});

}  // namespace vardelmo::test
