#pragma once
// A task's state in words, for comparing many at once.

#include <string>

#include "cluster/slurm.h"

namespace vardelmo::cluster {

inline std::string summary(const TaskState& state) {
  if (state.phase != TaskPhase::finished)
    return state.phase == TaskPhase::running ? "running" : "pending";
  switch (state.end) {
    case TaskEnd::completed: return "completed";
    case TaskEnd::failed:
      return "failed, exit " + std::to_string(state.exit_code) + ", signal " +
             std::to_string(state.signal);
    case TaskEnd::cancelled: return "cancelled";
    case TaskEnd::time_limit: return "time limit";
    case TaskEnd::out_of_memory: return "out of memory";
    case TaskEnd::node_failure: return "node failure";
    case TaskEnd::other: return "other: " + state.slurm_state;
    case TaskEnd::unknown: return "unknown";
  }
  return "?";
}

}  // namespace vardelmo::cluster
