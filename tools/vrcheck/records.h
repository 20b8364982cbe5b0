// What the runtime recorded in its config folder: its permanent list of
// manifests (appconfig.json, {"manifest_paths": [...]}) and each app's
// options (vrappconfig/<app key>.vrappconfig, {"autolaunch": ...}). It
// writes them on its own schedule, and loads them when it starts.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "findings.h"

namespace corvane::vrcheck {

// With the runtime not running, the records answer for it: whether this
// manifest is listed, whether another listed one holds the app key, and
// whether auto-launch is on. shown is the manifest as the user named it.
void checkRecords(const std::filesystem::path& config, const std::filesystem::path& manifest,
                  const std::string& shown, Findings& findings);

// With the runtime running, its answers decide; where the records have not
// caught up with them, an INFO says so.
void noteLaggingRecords(const std::filesystem::path& config, const std::filesystem::path& manifest,
                        bool listedLive, bool autoLaunchLive, Findings& findings);

// The listed manifest, in folder, that holds the app key, exactly as it
// was registered; nullopt when the records do not tell.
std::optional<std::string> registeredManifestIn(const std::filesystem::path& config,
                                                const std::filesystem::path& folder);

}  // namespace corvane::vrcheck
