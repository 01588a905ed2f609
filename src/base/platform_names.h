#pragma once
// What differs by system for the shared code of platform.cpp; each
// system's file defines it.
#include <ctime>

namespace vardelmo::platform::names {

/// The locales tried for Portuguese texts, in that order; nullptr ends it.
extern const char* const kPortugueseLocales[];
/// The Gurobi library's file names, newest first; nullptr ends it.
extern const char* const kGurobiLibraries[];
/// Where under GUROBI_HOME the library is.
extern const char* const kGurobiHomeLibraryFolder;

}  // namespace vardelmo::platform::names

namespace vardelmo::platform {

/// The local time of `now` and its offset from UTC, in minutes.
void local_time(std::time_t now, std::tm& local, long& offset_minutes);

}  // namespace vardelmo::platform
