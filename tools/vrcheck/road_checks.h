// What the runtime's files and this machine say, checked once on each road
// vrcheck takes: the runtime running, not running, or a translation layer
// in its place.
#pragma once

#include <filesystem>
#include <string>

#include "findings.h"
#include "registration.h"

namespace corvane::vrcheck {

struct Road {
  std::filesystem::path config;       // the runtime's config folder; "" if not to be read
  std::filesystem::path log;          // its log folder; "" if none
  const LiveAnswers* live = nullptr;  // the running runtime's answers, if it answered
  bool stopped = false;               // the vendor's runtime is known not to be running
};

// The records where the runtime does not answer for itself, else how far
// they have caught up with its answers; its settings; its log; and with the
// runtime stopped, the app's own processes left running, which keep it
// from starting again. binary is the manifest's for this platform, or "".
void checkRoad(const Road& road, const std::filesystem::path& manifest,
               const std::filesystem::path& binary, const std::string& shown, Findings& findings);

}  // namespace corvane::vrcheck
