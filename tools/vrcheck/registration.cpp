#include "registration.h"

#include <openvr.h>

#include <algorithm>
#include <optional>

#include "logger.h"
#include "runtime.h"
#include "same_path.h"

namespace corvane::vrcheck {
namespace {

using tools::applicationsErrorName;
using tools::kAppKey;

// folder/name, with the separator the folder's own spelling uses, since the
// runtime matches a manifest path exactly as it was registered.
std::string joined(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  const bool slashes =
      folder.find('/') != std::string::npos && folder.find('\\') == std::string::npos;
  const char separator = slashes ? '/' : '\\';
#else
  const char separator = '/';
#endif
  if (!folder.empty() && (folder.back() == '/' || folder.back() == separator)) return folder + name;
  return folder + separator + name;
}

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
                       const std::filesystem::path& binary, const std::string& shown,
                       Findings& findings, LiveAnswers* answers) {
  const std::string registerThis = "vrenlist " + shellQuoted(shown);

  if (!apps.IsApplicationInstalled(kAppKey)) {
    findings.notInPlace("App key not registered with the runtime: ", kAppKey,
                        ". Register it with: ", registerThis);
    return true;
  }
  findings.inPlace("App key registered with the runtime: ", kAppKey);

  vr::EVRApplicationError error = vr::VRApplicationError_None;
  const std::optional<Registered> where = registered(apps, &error);
  if (!where) {
    common::logError("GetApplicationPropertyString failed: ", applicationsErrorName(error));
    return false;
  }
  if (where->folder.empty() && !where->binary.empty()) {
    // The binary's folder need not be the manifest's ("bin/lumora.exe"), so
    // compare binaries; the manifest that named the other one is unknown.
    if (!binary.empty() && samePath(std::filesystem::u8path(where->binary), binary)) {
      findings.inPlace("Registered from this manifest, with its binary: ", where->binary);
      answers->registeredHere = true;
    } else {
      findings.notInPlace("Registered with another binary: ", where->binary,
                          ". Take back the manifest beside it with vrdelist, then register this "
                          "one with: ",
                          registerThis);
    }
  } else if (where->folder.empty()) {
    findings.notInPlace("Runtime does not say which folder app key ", kAppKey,
                        " is registered from. Register it again with: ", registerThis);
  } else if (samePath(std::filesystem::u8path(where->folder), manifest.parent_path())) {
    findings.inPlace("Registered from this manifest's folder: ", where->folder);
    answers->registeredHere = true;
  } else {
    // Only one manifest can hold a key, so this one cannot be registered
    // until that one is taken back.
    findings.notInPlace("Registered from another folder: ", where->folder,
                        ". Take that registration back with: vrdelist ",
                        shellQuoted(joined(where->folder, manifest.filename().u8string())),
                        ", then register this one with: ", registerThis);
  }

  answers->autoLaunch = apps.GetApplicationAutoLaunch(kAppKey);
  if (answers->autoLaunch) {
    findings.inPlace("Auto-launch enabled for app key: ", kAppKey);
  } else {
    findings.notInPlace("Auto-launch is off for app key: ", kAppKey,
                        ". Switch it on with: ", registerThis);
  }
  return true;
}

}  // namespace corvane::vrcheck
