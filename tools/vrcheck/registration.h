// What vrcheck asks the runtime about the companion's app key. It only
// reads: nothing here registers, removes or switches anything.
#pragma once

#include <openvr.h>

#include <filesystem>
#include <string>

#include "findings.h"

namespace corvane::vrcheck {

// What the running runtime answered.
struct LiveAnswers {
  bool registeredHere = false;  // from this manifest
  bool autoLaunch = false;
};

// Whether the key is installed, from which folder, and with auto-launch
// on. manifest is the manifest's absolute path, shown how the user named
// it. Returns false when the runtime refused a query, after an ERROR
// finding. One interface serves the whole connection: the SDK hands out the
// same one until the next VR_Init.
// binary is this manifest's binary for the platform, resolved (empty if it
// names none); config the runtime's config folder (empty if unknown), whose
// records name a registration from another folder exactly.
bool checkRegistration(vr::IVRApplications& apps, const std::filesystem::path& manifest,
                       const std::filesystem::path& binary, const std::filesystem::path& config,
                       const std::string& shown, Findings& findings, LiveAnswers* answers);

}  // namespace corvane::vrcheck
