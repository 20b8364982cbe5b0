// The runtime's settings (steamvr.vrsettings in its config folder) that
// keep every overlay app from starting with it.
#pragma once

#include <filesystem>

#include "findings.h"

namespace corvane::vrcheck {

// A WARN for each such setting switched off; an INFO when the file is there
// but cannot be read. A missing file holds the defaults, which start them.
void checkSettings(const std::filesystem::path& config, Findings& findings);

}  // namespace corvane::vrcheck
