// Stands in for the OpenVR SDK's Windows openvr_api.dll, which cannot be
// installed here, so that vrenlist.exe meets a runtime under Wine. It finds
// and drives the runtime as the SDK does, so the vendor's DLL can take its
// place unchanged:
// - the paths file and the runtime's root come from path_registry.h, read
//   as the vendor's loader reads them: VR_PATHREG_OVERRIDE or the user's
//   Local AppData, the first "runtime" entry only, VR_OVERRIDE over it;
// - the root must be a folder (else 100), with a bin folder (else 101)
//   holding vrclient_x64.dll (else 102), which exports VRClientCoreFactory
//   (else 104), which hands out IVRClientCore_003 (else 105);
// - an unreadable registry is reported on standard error and fails with 110;
// - a failed Init unloads the runtime again;
// - error descriptions come from the runtime while it is loaded, else from
//   the SDK's own table.
// Only the six functions that vrenlist imports are here.
#define VR_API_EXPORT
#include <openvr.h>
#include <windows.h>

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include "ivr_client_core.h"
#include "path_registry.h"

using namespace vr;

namespace {

std::recursive_mutex systemMutex;
HMODULE runtimeModule = nullptr;
standin::IVRClientCore* clientCore = nullptr;
uint32_t initToken = 0;

EVRInitError loadRuntime() {
  const std::optional<standin::RuntimePaths> paths = standin::readRuntimePaths();
  if (!paths) return VRInitError_Init_PathRegistryNotFound;
  const std::filesystem::path root = std::filesystem::u8path(paths->runtime);
  std::error_code ignored;
  if (paths->runtime.empty() || !std::filesystem::is_directory(root, ignored)) {
    return VRInitError_Init_InstallationNotFound;
  }
  const std::filesystem::path bin = root / L"bin";
  if (!std::filesystem::is_directory(bin, ignored)) return VRInitError_Init_InstallationCorrupt;

  const HMODULE module =
      LoadLibraryExW((bin / L"vrclient_x64.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) return VRInitError_Init_VRClientDLLNotFound;
  const auto factory = reinterpret_cast<standin::ClientCoreFactory>(
      reinterpret_cast<void*>(GetProcAddress(module, "VRClientCoreFactory")));
  if (!factory) {
    FreeLibrary(module);
    return VRInitError_Init_FactoryNotFound;
  }
  int returnCode = 0;
  clientCore =
      static_cast<standin::IVRClientCore*>(factory(standin::kClientCoreVersion, &returnCode));
  if (!clientCore) {
    FreeLibrary(module);
    return VRInitError_Init_InterfaceNotFound;
  }
  runtimeModule = module;
  return VRInitError_None;
}

void unloadRuntime() {
  if (runtimeModule) FreeLibrary(runtimeModule);
  runtimeModule = nullptr;
  clientCore = nullptr;
}

// The SDK's own texts for the errors it can report before a runtime is loaded.
const char* sdkDescription(EVRInitError error) {
  switch (error) {
    case VRInitError_Init_InstallationNotFound: return "Installation Not Found (100)";
    case VRInitError_Init_InstallationCorrupt: return "Installation Corrupt (101)";
    case VRInitError_Init_VRClientDLLNotFound: return "vrclient Shared Lib Not Found (102)";
    case VRInitError_Init_FileNotFound: return "File Not Found (103)";
    case VRInitError_Init_FactoryNotFound: return "Factory Function Not Found (104)";
    case VRInitError_Init_InterfaceNotFound: return "Interface Not Found (105)";
    case VRInitError_Init_InvalidInterface: return "Invalid Interface (106)";
    case VRInitError_Init_UserConfigDirectoryInvalid: return "User Config Directory Invalid (107)";
    case VRInitError_Init_HmdNotFound: return "Hmd Not Found (108)";
    case VRInitError_Init_NotInitialized: return "Not Initialized (109)";
    case VRInitError_Init_PathRegistryNotFound:
      return "Installation path could not be located (110)";
    case VRInitError_Init_NoConfigPath: return "Config path could not be located (111)";
    default: break;
  }
  static std::string unknown;
  unknown = "Unknown error (" + std::to_string(error) + ")";
  return unknown.c_str();
}

}  // namespace

VR_INTERFACE uint32_t VR_CALLTYPE VR_InitInternal2(EVRInitError* peError,
                                                   EVRApplicationType eApplicationType,
                                                   const char* pStartupInfo) {
  const std::lock_guard<std::recursive_mutex> lock(systemMutex);
  EVRInitError error = loadRuntime();
  if (error == VRInitError_None) error = clientCore->Init(eApplicationType, pStartupInfo);
  if (peError) *peError = error;
  if (error != VRInitError_None) unloadRuntime();
  return ++initToken;
}

VR_INTERFACE void VR_CALLTYPE VR_ShutdownInternal() {
  const std::lock_guard<std::recursive_mutex> lock(systemMutex);
  if (clientCore) clientCore->Cleanup();
  unloadRuntime();
  ++initToken;
}

VR_INTERFACE void* VR_CALLTYPE VR_GetGenericInterface(const char* pchInterfaceVersion,
                                                      EVRInitError* peError) {
  const std::lock_guard<std::recursive_mutex> lock(systemMutex);
  if (!clientCore) {
    if (peError) *peError = VRInitError_Init_NotInitialized;
    return nullptr;
  }
  return clientCore->GetGenericInterface(pchInterfaceVersion, peError);
}

VR_INTERFACE bool VR_CALLTYPE VR_IsInterfaceVersionValid(const char* pchInterfaceVersion) {
  const std::lock_guard<std::recursive_mutex> lock(systemMutex);
  return clientCore && clientCore->IsInterfaceVersionValid(pchInterfaceVersion) == VRInitError_None;
}

VR_INTERFACE uint32_t VR_CALLTYPE VR_GetInitToken() { return initToken; }

VR_INTERFACE const char* VR_CALLTYPE VR_GetVRInitErrorAsEnglishDescription(EVRInitError error) {
  const std::lock_guard<std::recursive_mutex> lock(systemMutex);
  return clientCore ? clientCore->GetEnglishStringForHmdError(error) : sdkDescription(error);
}
