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
// - like the vendor's, it reads the environment with GetEnvironmentVariableA
//   and loads the library with LoadLibraryExA on the path's UTF-8 bytes, so
//   text outside ASCII reaches Windows changed in the ANSI code page: a
//   runtime folder such as "rt 日本" fails with 102, a VR_PATHREG_OVERRIDE
//   such as "José-日本.vrpath" with 110;
// - an unreadable registry is reported on standard error and fails with 110;
// - a failed Init unloads the runtime again;
// - error descriptions come from the runtime while it is loaded, else from
//   the SDK's own table, the vendor's texts.
// Only the six functions that vrenlist imports are here.
#define VR_API_EXPORT
#include <openvr.h>
#include <windows.h>

#include <filesystem>
#include <map>
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
  const std::filesystem::path root = standin::pathFromUtf8(paths->runtime);
  std::error_code ignored;
  if (root.empty() || !std::filesystem::is_directory(root, ignored)) {
    return VRInitError_Init_InstallationNotFound;
  }
  if (!std::filesystem::is_directory(root / L"bin", ignored)) {
    return VRInitError_Init_InstallationCorrupt;
  }
  const std::string library = paths->runtime + "\\bin\\vrclient_x64.dll";
  const HMODULE module = LoadLibraryExA(library.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
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

// The SDK's own texts for the errors of loading and initialising, as its
// 1.23.7 gives them; a known code without a text is given by its name.
const char* sdkDescription(EVRInitError error) {
  static const std::map<int, const char*> kTexts = {
      {0, "No Error (0)"},
      {1, "VRInitError_Unknown"},
      {100, "Installation Not Found (100)"},
      {101, "Installation Corrupt (101)"},
      {102, "vrclient Shared Lib Not Found (102)"},
      {103, "File Not Found (103)"},
      {104, "Factory Function Not Found (104)"},
      {105, "Interface Not Found (105)"},
      {106, "Invalid Interface (106)"},
      {107, "User Config Directory Invalid (107)"},
      {108, "Hmd Not Found (108)"},
      {109, "Not Initialized (109)"},
      {110, "Installation path could not be located (110)"},
      {111, "Config path could not be located (111)"},
      {112, "Log path could not be located (112)"},
      {113, "Unable to write path registry (113)"},
      {114, "App info manager init failed (114)"},
      {115, "Internal Retry (115)"},
      {116, "User Canceled Init (116)"},
      {117, "Another app was already launching (117)"},
      {118, "Settings manager init failed (118)"},
      {119, "VR system shutting down (119)"},
      {120, "Too many tracked objects (120)"},
      {121, "Not starting vrserver for background app (121)"},
      {122,
       "The requested interface is incompatible with the compositor and the compositor is running "
       "(122)"},
      {123, "This interface is not available to utility applications (123)"},
      {124, "vrserver internal error (124)"},
      {125, "Hmd DriverId is invalid (125)"},
      {126, "Hmd Not Found Presence Failed (126)"},
      {127, "VR Monitor Not Found (127)"},
      {128, "VR Monitor startup failed (128)"},
      {129, "Low Power Watchdog Not Supported (129)"},
      {130, "Invalid Application Type (130)"},
      {131, "Not available to watchdog apps (131)"},
      {132, "Watchdog disabled in settings (132)"},
      {133, "VR Dashboard Not Found (133)"},
      {134, "VR Dashboard startup failed (134)"},
      {135, "VR Home Not Found (135)"},
      {136, "VR home startup failed (136)"},
      {137, "Rebooting In Progress (137)"},
      {138, "Firmware Update In Progress (138)"},
      {139, "Firmware Recovery In Progress (139)"},
      {140, "USB Service Busy (140)"},
      {141, "VRInitError_Init_VRWebHelperStartupFailed"},
      {142, "VRInitError_Init_TrackerManagerInitFailed"},
      {143, "VRInitError_Init_AlreadyRunning"},
      {144, "VRInitError_Init_FailedForVrMonitor"},
      {145, "VRInitError_Init_PropertyManagerInitFailed"},
      {146, "VRInitError_Init_WebServerFailed"},
      {147, "VRInitError_Init_IllegalTypeTransition"},
      {148, "VRInitError_Init_MismatchedRuntimes"},
      {149, "VRInitError_Init_InvalidProcessId"},
      {150, "VRInitError_Init_VRServiceStartupFailed"},
      {151, "VRInitError_Init_PrismNeedsNewDrivers"},
      {152, "VRInitError_Init_PrismStartupTimedOut"},
      {153, "VRInitError_Init_CouldNotStartPrism"},
      {154, "VRInitError_Init_PrismClientInitFailed"},
      {155, "VRInitError_Init_PrismClientStartFailed"},
      {156, "VRInitError_Init_PrismExitedUnexpectedly"},
      {157, "VRInitError_Init_BadLuid"},
      {158, "VRInitError_Init_NoServerForAppContainer"},
      {159, "VRInitError_Init_DuplicateBootstrapper"},
      {160, "VR Dashboard startup failed, vrservice was pending for too long (160)"},
      {161, "VR Dashboard startup failed, attempt to communicate with vrservice timed out (161)"},
      {162, "VR Dashboard startup failed, vrservice was stopped (162)"},
      {163, "VR Dashboard startup failed, vrdashboard was already running (163)"},
      {164, "VR Dashboard startup failed, required files did not copy correctly (164)"},
      {165, "VR Dashboard startup failed, unable to create appropriate token (165)"},
      {166, "VR Dashboard startup failed, unable to create appropriate environment (166)"},
      {167, "VR Dashboard startup failed, path error (167)"},
  };
  const auto text = kTexts.find(error);
  if (text != kTexts.end()) return text->second;
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
