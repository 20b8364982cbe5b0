#include "applications.h"

#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>

#include "journal_format.h"
#include "json_text.h"
#include "path_registry.h"
#include "server_log.h"

namespace standin {
namespace {

const char* boolText(bool value) { return value ? "true" : "false"; }

// One application of a manifest, as the runtime lists it.
struct DeclaredApplication {
  std::string appKey;
  std::filesystem::path binary;  // for this platform, resolved; empty if none
  bool isDashboardOverlay = false;
};

#ifdef _WIN32
constexpr const char* kBinaryPathKey = "binary_path_windows";
#else
constexpr const char* kBinaryPathKey = "binary_path_linux";
#endif

// The SDK's strings are UTF-8; a narrow file name on Windows is not.
std::filesystem::path fromUtf8(const std::string& text) { return pathFromUtf8(text); }

// The applications a manifest file declares, or nullopt when it cannot be
// read, is not JSON, or declares none.
std::optional<std::vector<DeclaredApplication>> readManifest(const std::string& path) {
  const std::optional<std::string> text = readRegularFile(fromUtf8(path));
  if (!text) return std::nullopt;
  // A byte order mark is skipped here, as nothing says the runtime does not.
  const nlohmann::json manifest = corvane::readers::parseJson(*text).value;
  const auto listed = manifest.find("applications");
  if (listed == manifest.end() || !listed->is_array() || listed->empty()) return std::nullopt;
  std::vector<DeclaredApplication> applications;
  for (const nlohmann::json& application : *listed) {
    if (!application.is_object()) return std::nullopt;
    const auto key = application.find("app_key");
    if (key == application.end() || !key->is_string()) return std::nullopt;
    DeclaredApplication declared;
    declared.appKey = key->get<std::string>();
    const auto binary = application.find(kBinaryPathKey);
    if (binary != application.end() && binary->is_string() && !binary->empty()) {
      declared.binary = fromUtf8(path).parent_path() / fromUtf8(binary->get<std::string>());
    }
    // Any value but true, "yes" or 1 included, leaves the app no overlay.
    const auto overlay = application.find("is_dashboard_overlay");
    declared.isDashboardOverlay = overlay != application.end() && *overlay == true;
    applications.push_back(std::move(declared));
  }
  return applications;
}

// The app keys the runtime lists for the manifest at path. On Linux the
// runtime accepts a manifest whose binary lies under /usr but never lists
// it, so a later SetApplicationAutoLaunch fails with UnknownApplication
// (reported on the runtime's Linux issue tracker, #895, and the SDK's,
// #1378), and its log says "<manifest> - App <key> binary_path <binary> is
// invalid. Skipping" (#895).
std::vector<std::string> listedKeys([[maybe_unused]] const std::string& path,
                                    const std::vector<DeclaredApplication>& applications,
                                    [[maybe_unused]] const std::filesystem::path& log) {
  std::vector<std::string> keys;
  for (const DeclaredApplication& application : applications) {
#ifndef _WIN32
    const std::string binary = application.binary.lexically_normal().string();
    if (binary.rfind("/usr/", 0) == 0) {
      writeServerLog(log, path + " - App " + application.appKey + " binary_path " +
                              application.binary.u8string() + " is invalid. Skipping");
      continue;
    }
#endif
    keys.push_back(application.appKey);
  }
  return keys;
}

// The key's application in a registered manifest, read afresh as a runtime
// reads its manifests when it starts.
std::optional<DeclaredApplication> declaredIn(const std::string& path, std::string_view appKey) {
  const std::optional<std::vector<DeclaredApplication>> applications = readManifest(path);
  if (!applications) return std::nullopt;
  for (const DeclaredApplication& application : *applications) {
    if (application.appKey == appKey) return application;
  }
  return std::nullopt;
}

// A string property of the key that the manifest at path registered, or
// nullopt with *error set.
std::optional<std::string> stringProperty(const std::string& path, std::string_view appKey,
                                          vr::EVRApplicationProperty property,
                                          vr::EVRApplicationError* error) {
  if (property == vr::VRApplicationProperty_WorkingDirectory_String) {
    return fromUtf8(path).parent_path().u8string();
  }
  if (property != vr::VRApplicationProperty_BinaryPath_String) {
    *error = vr::VRApplicationError_NotImplemented;
    return std::nullopt;
  }
  const std::optional<DeclaredApplication> application = declaredIn(path, appKey);
  if (application && !application->binary.empty()) return application->binary.u8string();
  *error = vr::VRApplicationError_PropertyNotSet;
  return std::nullopt;
}

// Copies a string property into the caller's buffer as the SDK documents:
// the size it needs, terminator included, is returned either way.
uint32_t answerString(const std::string& value, char* buffer, uint32_t bufferLength,
                      vr::EVRApplicationError* peError) {
  const auto needed = static_cast<uint32_t>(value.size() + 1);
  if (buffer == nullptr || bufferLength < needed) {
    if (peError) *peError = vr::VRApplicationError_BufferTooSmall;
    return needed;
  }
  std::memcpy(buffer, value.c_str(), needed);
  if (peError) *peError = vr::VRApplicationError_None;
  return needed;
}

}  // namespace

// The records, with the keys each listed manifest declares. A manifest that
// cannot be read is left out, as the runtime drops it ("Unable to read
// manifest. Removing that file for the next startup").
void addRecords(Registry& registry, const Records& records, const std::filesystem::path* log) {
  const std::filesystem::path folder = log != nullptr ? *log : std::filesystem::path();
  for (const auto& [key, flag] : records.autoLaunch) registry.autoLaunch[key] = flag;
  for (const std::string& path : records.manifestPaths) {
    writeServerLog(folder, "Adding application manifest path: " + path);
    const std::optional<std::vector<DeclaredApplication>> applications = readManifest(path);
    if (applications) {
      registry.addManifest(path, listedKeys(path, *applications, folder));
    } else {
      writeServerLog(folder, path +
                                 " - Unable to read manifest. Removing that file for the next "
                                 "startup");
    }
  }
}

const char* applicationsErrorName(vr::EVRApplicationError error) {
  switch (error) {
#define STANDIN_ERROR_NAME(name) \
  case vr::name: return #name;
    STANDIN_ERROR_NAME(VRApplicationError_None)
    STANDIN_ERROR_NAME(VRApplicationError_AppKeyAlreadyExists)
    STANDIN_ERROR_NAME(VRApplicationError_NoManifest)
    STANDIN_ERROR_NAME(VRApplicationError_NoApplication)
    STANDIN_ERROR_NAME(VRApplicationError_InvalidIndex)
    STANDIN_ERROR_NAME(VRApplicationError_UnknownApplication)
    STANDIN_ERROR_NAME(VRApplicationError_IPCFailed)
    STANDIN_ERROR_NAME(VRApplicationError_ApplicationAlreadyRunning)
    STANDIN_ERROR_NAME(VRApplicationError_InvalidManifest)
    STANDIN_ERROR_NAME(VRApplicationError_InvalidApplication)
    STANDIN_ERROR_NAME(VRApplicationError_LaunchFailed)
    STANDIN_ERROR_NAME(VRApplicationError_ApplicationAlreadyStarting)
    STANDIN_ERROR_NAME(VRApplicationError_LaunchInProgress)
    STANDIN_ERROR_NAME(VRApplicationError_OldApplicationQuitting)
    STANDIN_ERROR_NAME(VRApplicationError_TransitionAborted)
    STANDIN_ERROR_NAME(VRApplicationError_IsTemplate)
    STANDIN_ERROR_NAME(VRApplicationError_SteamVRIsExiting)
    STANDIN_ERROR_NAME(VRApplicationError_BufferTooSmall)
    STANDIN_ERROR_NAME(VRApplicationError_PropertyNotSet)
    STANDIN_ERROR_NAME(VRApplicationError_UnknownProperty)
    STANDIN_ERROR_NAME(VRApplicationError_InvalidParameter)
    STANDIN_ERROR_NAME(VRApplicationError_NotImplemented)
#undef STANDIN_ERROR_NAME
  }
  return nullptr;
}

Applications::Applications(StateDirectory& state, const Faults& faults)
    : state_(state), faults_(faults) {
  // A server started by hand (by a test) holds what its records say.
  std::optional<Registry> held = state.loadServerList();
  if (held) {
    permanent_ = std::move(*held);
  } else {
    addRecords(permanent_, state.loadRecords());
  }
  addRecords(permanent_, faults_.unwritten);  // what it holds but has not written yet
}

void Applications::remember() const {
  state_.saveServerList(permanent_);
  state_.saveRecords(permanent_);
}

vr::EVRApplicationError Applications::AddApplicationManifest(
    const char* pchApplicationManifestFullPath, bool bTemporary) {
  state_.record(std::string("AddApplicationManifest ") +
                quoteArgument(pchApplicationManifestFullPath) + " " + boolText(bTemporary));
  if (faults_.addManifestError != vr::VRApplicationError_None) return faults_.addManifestError;
  if (pchApplicationManifestFullPath == nullptr) return vr::VRApplicationError_InvalidParameter;

  const std::string path = pchApplicationManifestFullPath;
  const std::optional<std::vector<DeclaredApplication>> applications = readManifest(path);
  if (!applications) return vr::VRApplicationError_InvalidManifest;
  writeServerLog(state_.logFolder(), "Adding application manifest path: " + path);
  const std::vector<std::string> keys = listedKeys(path, *applications, state_.logFolder());
  // "Only one application can use any given key" (openvr.h): a key that
  // another path declares keeps that path, and this manifest is refused
  // whole. The same path again is a refresh.
  for (const std::string& key : keys) {
    for (const Registry* owners : {&permanent_, &temporary_}) {
      const std::string* owner = owners->registeredFrom(key);
      if (owner != nullptr && *owner != path) return vr::VRApplicationError_AppKeyAlreadyExists;
    }
  }
  if (bTemporary) {
    temporary_.addManifest(path, keys);
  } else if (permanent_.addManifest(path, keys)) {
    // Like a real runtime, the records are rewritten only when they change.
    remember();
  }
  return vr::VRApplicationError_None;
}

// Forgets the manifest and so the app keys it declared; their auto-launch
// flags stay as they are. A path that is not registered changes nothing.
vr::EVRApplicationError Applications::RemoveApplicationManifest(
    const char* pchApplicationManifestFullPath) {
  state_.record(std::string("RemoveApplicationManifest ") +
                quoteArgument(pchApplicationManifestFullPath));
  if (faults_.removeManifestError != vr::VRApplicationError_None)
    return faults_.removeManifestError;
  if (pchApplicationManifestFullPath == nullptr) return vr::VRApplicationError_InvalidParameter;

  temporary_.removeManifest(pchApplicationManifestFullPath);
  if (permanent_.removeManifest(pchApplicationManifestFullPath)) remember();
  return vr::VRApplicationError_None;
}

vr::EVRApplicationError Applications::SetApplicationAutoLaunch(const char* pchAppKey,
                                                               bool bAutoLaunch) {
  state_.record(std::string("SetApplicationAutoLaunch ") + quoteArgument(pchAppKey) + " " +
                boolText(bAutoLaunch));
  if (faults_.autoLaunchError != vr::VRApplicationError_None) return faults_.autoLaunchError;
  if (pchAppKey == nullptr) return vr::VRApplicationError_InvalidParameter;

  if (!permanent_.provides(pchAppKey) && !temporary_.provides(pchAppKey)) {
    return vr::VRApplicationError_UnknownApplication;
  }
  if (permanent_.setAutoLaunch(pchAppKey, bAutoLaunch)) remember();
  return vr::VRApplicationError_None;
}

bool Applications::IsApplicationInstalled(const char* pchAppKey) {
  state_.record(std::string("IsApplicationInstalled ") + quoteArgument(pchAppKey));
  return pchAppKey != nullptr && (permanent_.provides(pchAppKey) || temporary_.provides(pchAppKey));
}

bool Applications::GetApplicationAutoLaunch(const char* pchAppKey) {
  state_.record(std::string("GetApplicationAutoLaunch ") + quoteArgument(pchAppKey));
  if (pchAppKey == nullptr) return false;
  const auto flag = permanent_.autoLaunch.find(pchAppKey);
  return flag != permanent_.autoLaunch.end() && flag->second;
}

vr::EVRApplicationError Applications::findRegistration(const char* appKey,
                                                       std::string* path) const {
  if (faults_.propertyError != vr::VRApplicationError_None) return faults_.propertyError;
  if (appKey == nullptr) return vr::VRApplicationError_InvalidParameter;
  const std::string* found = permanent_.registeredFrom(appKey);
  if (found == nullptr) found = temporary_.registeredFrom(appKey);
  if (found == nullptr) return vr::VRApplicationError_UnknownApplication;
  *path = *found;
  return vr::VRApplicationError_None;
}

uint32_t Applications::GetApplicationPropertyString(const char* pchAppKey,
                                                    vr::EVRApplicationProperty eProperty,
                                                    char* pchPropertyValueBuffer,
                                                    uint32_t unPropertyValueBufferLen,
                                                    vr::EVRApplicationError* peError) {
  state_.record(std::string("GetApplicationPropertyString ") + quoteArgument(pchAppKey) + " " +
                std::to_string(eProperty));
  std::string path;
  vr::EVRApplicationError error = findRegistration(pchAppKey, &path);
  std::optional<std::string> value;
  if (error == vr::VRApplicationError_None && faults_.workingDirectoryUnset &&
      eProperty == vr::VRApplicationProperty_WorkingDirectory_String) {
    error = vr::VRApplicationError_PropertyNotSet;
  }
  if (error == vr::VRApplicationError_None)
    value = stringProperty(path, pchAppKey, eProperty, &error);
  if (!value) {
    if (peError) *peError = error;
    return 0;
  }
  return answerString(*value, pchPropertyValueBuffer, unPropertyValueBufferLen, peError);
}

bool Applications::GetApplicationPropertyBool(const char* pchAppKey,
                                              vr::EVRApplicationProperty eProperty,
                                              vr::EVRApplicationError* peError) {
  state_.record(std::string("GetApplicationPropertyBool ") + quoteArgument(pchAppKey) + " " +
                std::to_string(eProperty));
  std::string path;
  vr::EVRApplicationError error = findRegistration(pchAppKey, &path);
  if (error == vr::VRApplicationError_None &&
      eProperty != vr::VRApplicationProperty_IsDashboardOverlay_Bool) {
    error = vr::VRApplicationError_NotImplemented;
  }
  if (peError) *peError = error;
  if (error != vr::VRApplicationError_None) return false;
  const std::optional<DeclaredApplication> application = declaredIn(path, pchAppKey);
  return application && application->isDashboardOverlay;
}

const char* Applications::GetApplicationsErrorNameFromEnum(vr::EVRApplicationError error) {
  state_.record("GetApplicationsErrorNameFromEnum " + std::to_string(error));
  return applicationsErrorName(error);
}

// Everything below is outside what the stand-in models.

void Applications::recordUnimplemented(const char* method) { state_.record(method); }

uint32_t Applications::GetApplicationCount() {
  recordUnimplemented("GetApplicationCount");
  return 0;
}
vr::EVRApplicationError Applications::GetApplicationKeyByIndex(uint32_t, char*, uint32_t) {
  recordUnimplemented("GetApplicationKeyByIndex");
  return vr::VRApplicationError_NotImplemented;
}
vr::EVRApplicationError Applications::GetApplicationKeyByProcessId(uint32_t, char*, uint32_t) {
  recordUnimplemented("GetApplicationKeyByProcessId");
  return vr::VRApplicationError_NotImplemented;
}
vr::EVRApplicationError Applications::LaunchApplication(const char*) {
  recordUnimplemented("LaunchApplication");
  return vr::VRApplicationError_NotImplemented;
}
vr::EVRApplicationError Applications::LaunchTemplateApplication(const char*, const char*,
                                                                const vr::AppOverrideKeys_t*,
                                                                uint32_t) {
  recordUnimplemented("LaunchTemplateApplication");
  return vr::VRApplicationError_NotImplemented;
}
vr::EVRApplicationError Applications::LaunchApplicationFromMimeType(const char*, const char*) {
  recordUnimplemented("LaunchApplicationFromMimeType");
  return vr::VRApplicationError_NotImplemented;
}
vr::EVRApplicationError Applications::LaunchDashboardOverlay(const char*) {
  recordUnimplemented("LaunchDashboardOverlay");
  return vr::VRApplicationError_NotImplemented;
}
bool Applications::CancelApplicationLaunch(const char*) {
  recordUnimplemented("CancelApplicationLaunch");
  return false;
}
vr::EVRApplicationError Applications::IdentifyApplication(uint32_t, const char*) {
  recordUnimplemented("IdentifyApplication");
  return vr::VRApplicationError_NotImplemented;
}
uint32_t Applications::GetApplicationProcessId(const char*) {
  recordUnimplemented("GetApplicationProcessId");
  return 0;
}
uint64_t Applications::GetApplicationPropertyUint64(const char*, vr::EVRApplicationProperty,
                                                    vr::EVRApplicationError* peError) {
  recordUnimplemented("GetApplicationPropertyUint64");
  if (peError) *peError = vr::VRApplicationError_NotImplemented;
  return 0;
}
vr::EVRApplicationError Applications::SetDefaultApplicationForMimeType(const char*, const char*) {
  recordUnimplemented("SetDefaultApplicationForMimeType");
  return vr::VRApplicationError_NotImplemented;
}
bool Applications::GetDefaultApplicationForMimeType(const char*, char*, uint32_t) {
  recordUnimplemented("GetDefaultApplicationForMimeType");
  return false;
}
bool Applications::GetApplicationSupportedMimeTypes(const char*, char*, uint32_t) {
  recordUnimplemented("GetApplicationSupportedMimeTypes");
  return false;
}
uint32_t Applications::GetApplicationsThatSupportMimeType(const char*, char*, uint32_t) {
  recordUnimplemented("GetApplicationsThatSupportMimeType");
  return 0;
}
uint32_t Applications::GetApplicationLaunchArguments(uint32_t, char*, uint32_t) {
  recordUnimplemented("GetApplicationLaunchArguments");
  return 0;
}
vr::EVRApplicationError Applications::GetStartingApplication(char*, uint32_t) {
  recordUnimplemented("GetStartingApplication");
  return vr::VRApplicationError_NotImplemented;
}
vr::EVRSceneApplicationState Applications::GetSceneApplicationState() {
  recordUnimplemented("GetSceneApplicationState");
  return vr::EVRSceneApplicationState_None;
}
vr::EVRApplicationError Applications::PerformApplicationPrelaunchCheck(const char*) {
  recordUnimplemented("PerformApplicationPrelaunchCheck");
  return vr::VRApplicationError_NotImplemented;
}
const char* Applications::GetSceneApplicationStateNameFromEnum(vr::EVRSceneApplicationState) {
  recordUnimplemented("GetSceneApplicationStateNameFromEnum");
  return nullptr;
}
vr::EVRApplicationError Applications::LaunchInternalProcess(const char*, const char*, const char*) {
  recordUnimplemented("LaunchInternalProcess");
  return vr::VRApplicationError_NotImplemented;
}
uint32_t Applications::GetCurrentSceneProcessId() {
  recordUnimplemented("GetCurrentSceneProcessId");
  return 0;
}

}  // namespace standin
