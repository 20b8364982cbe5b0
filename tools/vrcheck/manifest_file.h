// What vrcheck can tell from the manifest file alone, before asking the
// runtime anything.
#pragma once

#include <filesystem>
#include <string>

#include "findings.h"

namespace corvane::vrcheck {

// Checks that the manifest can be read and is JSON, that it declares the
// companion's app key as a dashboard overlay, and that the key's binary for
// this platform exists. shown is the manifest as the user named it.
// Returns the binary the manifest names, resolved against its folder as the
// runtime resolves it, or an empty path.
std::filesystem::path checkManifestFile(const std::filesystem::path& manifest,
                                        const std::string& shown, Findings& findings);

}  // namespace corvane::vrcheck
