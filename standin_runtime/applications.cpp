#include "applications.h"

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>

#include "journal_format.h"

namespace standin {
namespace {

const char* boolText(bool value) { return value ? "true" : "false"; }

// The app keys a manifest file declares, or nullopt when it cannot be read,
// is not JSON, or declares none.
std::optional<std::vector<std::string>> readAppKeys(const char* path) {
  if (path == nullptr) return std::nullopt;
  // The SDK's strings are UTF-8; a narrow file name on Windows is not.
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  if (!in) return std::nullopt;
  const nlohmann::json manifest = nlohmann::json::parse(in, nullptr, /*allow_exceptions=*/false);
  if (!manifest.is_object() || !manifest.contains("applications") ||
      !manifest["applications"].is_array()) {
    return std::nullopt;
  }
  std::vector<std::string> keys;
  for (const nlohmann::json& application : manifest["applications"]) {
    if (!application.is_object()) return std::nullopt;
    const auto key = application.find("app_key");
    if (key == application.end() || !key->is_string()) return std::nullopt;
    keys.push_back(key->get<std::string>());
  }
  if (keys.empty()) return std::nullopt;
  return keys;
}

}  // namespace

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

vr::EVRApplicationError Applications::AddApplicationManifest(
    const char* pchApplicationManifestFullPath, bool bTemporary) {
  state_.record(std::string("AddApplicationManifest ") +
                quoteArgument(pchApplicationManifestFullPath) + " " + boolText(bTemporary));
  if (faults_.addManifestError != vr::VRApplicationError_None) return faults_.addManifestError;

  const std::optional<std::vector<std::string>> appKeys =
      readAppKeys(pchApplicationManifestFullPath);
  if (!appKeys) return vr::VRApplicationError_InvalidManifest;
  if (bTemporary) {
    temporary_.addManifest(pchApplicationManifestFullPath, *appKeys);
  } else {
    // Like a real runtime, the store is rewritten only when it changes.
    Registry registry = state_.loadRegistry();
    if (registry.addManifest(pchApplicationManifestFullPath, *appKeys))
      state_.saveRegistry(registry);
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
  Registry registry = state_.loadRegistry();
  if (registry.removeManifest(pchApplicationManifestFullPath)) state_.saveRegistry(registry);
  return vr::VRApplicationError_None;
}

vr::EVRApplicationError Applications::SetApplicationAutoLaunch(const char* pchAppKey,
                                                               bool bAutoLaunch) {
  state_.record(std::string("SetApplicationAutoLaunch ") + quoteArgument(pchAppKey) + " " +
                boolText(bAutoLaunch));
  if (faults_.autoLaunchError != vr::VRApplicationError_None) return faults_.autoLaunchError;
  if (pchAppKey == nullptr) return vr::VRApplicationError_InvalidParameter;

  Registry registry = state_.loadRegistry();
  if (!registry.provides(pchAppKey) && !temporary_.provides(pchAppKey)) {
    return vr::VRApplicationError_UnknownApplication;
  }
  if (registry.setAutoLaunch(pchAppKey, bAutoLaunch)) state_.saveRegistry(registry);
  return vr::VRApplicationError_None;
}

bool Applications::IsApplicationInstalled(const char* pchAppKey) {
  state_.record(std::string("IsApplicationInstalled ") + quoteArgument(pchAppKey));
  return pchAppKey != nullptr &&
         (state_.loadRegistry().provides(pchAppKey) || temporary_.provides(pchAppKey));
}

bool Applications::GetApplicationAutoLaunch(const char* pchAppKey) {
  state_.record(std::string("GetApplicationAutoLaunch ") + quoteArgument(pchAppKey));
  if (pchAppKey == nullptr) return false;
  const Registry registry = state_.loadRegistry();
  const auto flag = registry.autoLaunch.find(pchAppKey);
  return flag != registry.autoLaunch.end() && flag->second;
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
uint32_t Applications::GetApplicationPropertyString(const char*, vr::EVRApplicationProperty, char*,
                                                    uint32_t, vr::EVRApplicationError* peError) {
  recordUnimplemented("GetApplicationPropertyString");
  if (peError) *peError = vr::VRApplicationError_NotImplemented;
  return 0;
}
bool Applications::GetApplicationPropertyBool(const char*, vr::EVRApplicationProperty,
                                              vr::EVRApplicationError* peError) {
  recordUnimplemented("GetApplicationPropertyBool");
  if (peError) *peError = vr::VRApplicationError_NotImplemented;
  return false;
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
