// What keeps Windows itself from starting the app's binary as the runtime
// starts it, with no word in any file the runtime reads: a binary marked to
// run as administrator, which the unelevated runtime cannot start (error
// 740), and a Store (MSIX) package folder, which it can neither read nor
// start from. Nothing on Linux.
#pragma once

#include <filesystem>
#include <string>

#include "findings.h"

namespace corvane::vrcheck {

// manifest as resolved and as the user named it; binary empty when the
// manifest names none that exists.
void checkWindowsLaunch(const std::filesystem::path& manifest, const std::string& shown,
                        const std::filesystem::path& binary, Findings& findings);

}  // namespace corvane::vrcheck
