// What the runtime itself wrote about the app at its latest start: in its
// log, whether it refused this manifest, and whether it started the app
// with itself or tried to and failed.
#pragma once

#include <filesystem>
#include <string>

#include "findings.h"

namespace corvane::vrcheck {

// Reads vrserver.txt in logFolder. The latest word about this manifest, and
// the latest about starting the app, each give a finding; a log that says
// neither gives none. shown is the manifest as the user named it.
void checkRuntimeLog(const std::filesystem::path& logFolder, const std::filesystem::path& manifest,
                     const std::string& shown, Findings& findings);

}  // namespace corvane::vrcheck
