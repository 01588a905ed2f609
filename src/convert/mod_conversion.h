#pragma once
#include <string>

namespace vardelmo {

/// Command `mod_lp`: asks for a folder and turns every MathProg model in it
/// into an LP file beside it, announcing every entry, model or not.
void convert_mod_folder();

/// Converts `entry` when its path ends in "mod": the data file is the path
/// with "dat" in place of those three letters, the LP file the path with
/// "lp". Anything else is left alone. Failures are reported on standard error
/// and never passed on, not even GLPK's fatal errors; GLPK's own messages stay
/// on standard output.
void convert_mod_file(std::string entry);

}  // namespace vardelmo
