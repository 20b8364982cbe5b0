#include "road_checks.h"

#include "log_check.h"
#include "records.h"
#include "refusal.h"
#include "runtime_processes.h"
#include "settings.h"

namespace corvane::vrcheck {

void checkRoad(const Road& road, const std::filesystem::path& manifest,
               const std::filesystem::path& binary, const std::string& shown, Findings& findings) {
  if (!road.config.empty()) {
    if (road.live != nullptr) {
      noteLaggingRecords(road.config, manifest, road.live->registeredHere, road.live->autoLaunch,
                         findings);
    } else {
      checkRecords(road.config, manifest, shown, findings);
    }
    checkSettings(road.config, findings);
  }
  if (!road.log.empty()) checkRuntimeLog(road.log, manifest, shown, findings);
  // Only where it changes the verdict: a running runtime started the app,
  // or lives with it, and that road stays as cheap as it was.
  if (road.stopped && !binary.empty()) {
    for (const RuntimeProcess& process : processesRunning(binary)) {
      warnOfLeftover("app-process-left", "The app", process,
                     "While it runs, the runtime may not start again, or may start a second copy "
                     "of it that fails. Before starting the runtime, end the process",
                     findings);
    }
  }
}

}  // namespace corvane::vrcheck
