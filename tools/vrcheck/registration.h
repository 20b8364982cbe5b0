// What vrcheck asks the runtime about the companion's app key. It only
// reads: nothing here registers, removes or switches anything.
#pragma once

#include <filesystem>
#include <string>

#include "findings.h"

namespace corvane::vrcheck {

// Whether the key is installed, from which folder, and with auto-launch on. manifest is the
// manifest's absolute path, shown how the user named it. Returns false when the runtime refused a
// query, after logging its error.
bool checkRegistration(const std::filesystem::path& manifest, const std::string& shown,
                       Findings& findings);

}  // namespace corvane::vrcheck
