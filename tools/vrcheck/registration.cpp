#include "registration.h"

#include <openvr.h>

#include <algorithm>
#include <optional>

#include "records.h"
#include "runtime.h"
#include "same_path.h"

namespace corvane::vrcheck {
namespace {

using tools::applicationsErrorName;
using tools::kAppKey;

// A string property of kAppKey, or nullopt with *error set.
std::optional<std::string> stringProperty(vr::IVRApplications& apps,
                                          vr::EVRApplicationProperty property,
                                          vr::EVRApplicationError* error) {
  std::string value(1024, '\0');
  const uint32_t needed = apps.GetApplicationPropertyString(
      kAppKey, property, value.data(), static_cast<uint32_t>(value.size()), error);
  if (*error == vr::VRApplicationError_BufferTooSmall && needed > value.size()) {
    value.resize(needed);
    apps.GetApplicationPropertyString(kAppKey, property, value.data(),
                                      static_cast<uint32_t>(value.size()), error);
  }
  if (*error != vr::VRApplicationError_None) return std::nullopt;
  value.resize(std::min<std::size_t>(value.find('\0'), value.size()));
  return value;
}

// Where the runtime has kAppKey registered from: its working directory, or
// failing that its binary.
struct Registered {
  std::string folder;  // the working directory, if the runtime gives one
  std::string binary;  // else the binary, if it gives that
};

// What the runtime says of the registration; nullopt with *error set when
// it refused, and both empty when it has neither to give.
std::optional<Registered> registered(vr::IVRApplications& apps, vr::EVRApplicationError* error) {
  Registered where;
  std::optional<std::string> folder =
      stringProperty(apps, vr::VRApplicationProperty_WorkingDirectory_String, error);
  if (folder && !folder->empty()) {
    where.folder = *folder;
    return where;
  }
  if (folder || *error == vr::VRApplicationError_PropertyNotSet) {
    std::optional<std::string> binary =
        stringProperty(apps, vr::VRApplicationProperty_BinaryPath_String, error);
    if (binary) where.binary = *binary;
  }
  if (*error == vr::VRApplicationError_PropertyNotSet) *error = vr::VRApplicationError_None;
  if (*error != vr::VRApplicationError_None) return std::nullopt;
  return where;
}

}  // namespace

bool checkRegistration(vr::IVRApplications& apps, const std::filesystem::path& manifest,
                       const std::filesystem::path& binary, const std::filesystem::path& config,
                       const std::string& shown, Findings& findings, LiveAnswers* answers) {
  if (!apps.IsApplicationInstalled(kAppKey)) {
    findings.notInPlace("app-key-not-registered",
                        "App key not registered with the runtime: ", kAppKey,
                        ". Register it with: ", registerWith(shown));
    return true;
  }
  findings.inPlace("app-key-registered", "App key registered with the runtime: ", kAppKey);

  vr::EVRApplicationError error = vr::VRApplicationError_None;
  const std::optional<Registered> where = registered(apps, &error);
  if (!where) {
    findings.failed("runtime-query-refused",
                    "GetApplicationPropertyString failed: ", applicationsErrorName(error));
    return false;
  }
  if (where->folder.empty() && !where->binary.empty()) {
    // The binary's folder need not be the manifest's ("bin/lumora.exe"), so
    // compare binaries; the manifest that named the other one is unknown.
    if (!binary.empty() && samePath(std::filesystem::u8path(where->binary), binary)) {
      findings.inPlace("registered-here-binary", "Registered from this manifest, with its binary: ",
                       Path{"binary", where->binary});
      answers->registeredHere = true;
    } else {
      findings.notInPlace("registered-other-binary",
                          "Registered with another binary: ", Path{"binary", where->binary},
                          ". Take back the manifest beside it with vrdelist, then register this "
                          "one with: ",
                          registerLater(shown));
    }
  } else if (where->folder.empty()) {
    // Registered again, a manifest that names a binary has the runtime say
    // where it is; one that names none changes nothing.
    if (binary.empty()) {
      findings.notInPlace("registered-folder-unknown", "Runtime does not say which folder app key ",
                          kAppKey,
                          " is registered from. Name the app's binary for this platform in the "
                          "manifest, then register it again with: ",
                          registerLater(shown));
    } else {
      findings.notInPlace("registered-folder-unknown", "Runtime does not say which folder app key ",
                          kAppKey,
                          " is registered from. Register it again with: ", registerWith(shown));
    }
  } else if (samePath(std::filesystem::u8path(where->folder), manifest.parent_path())) {
    findings.inPlace("registered-here",
                     "Registered from this manifest's folder: ", Path{"folder", where->folder});
    answers->registeredHere = true;
  } else if (const std::optional<std::string> other =
                 config.empty()
                     ? std::nullopt
                     : registeredManifestIn(config, std::filesystem::u8path(where->folder))) {
    // Only one manifest can hold a key, so this one cannot be registered
    // until that one is taken back, by the path it was registered with.
    findings.notInPlace("registered-other-folder",
                        "Registered from another folder: ", Path{"other_folder", where->folder},
                        ". Take that registration back with: ", Command{{"vrdelist", *other}},
                        ", then register this one with: ", registerWith(shown));
  } else {
    // A path guessed from the folder may not be the one registered, and
    // vrdelist removes only that one.
    findings.notInPlace("registered-other-folder",
                        "Registered from another folder: ", Path{"other_folder", where->folder},
                        ". Take back the manifest there that declares ", kAppKey,
                        " with vrdelist, naming it exactly as it was registered; then register "
                        "this one with: ",
                        registerLater(shown));
  }

  answers->autoLaunch = apps.GetApplicationAutoLaunch(kAppKey);
  if (answers->autoLaunch) {
    findings.inPlace("auto-launch-on", "Auto-launch enabled for app key: ", kAppKey);
  } else {
    findings.notInPlace("auto-launch-off", "Auto-launch is off for app key: ", kAppKey,
                        ". Switch it on with: ", registerWith(shown));
  }
  return true;
}

}  // namespace corvane::vrcheck
