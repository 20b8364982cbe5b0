// The entry point the OpenVR SDK loads: the runtime's vrclient library
// exports VRClientCoreFactory, whose object the SDK drives through the
// IVRClientCore interface.
#include <openvr.h>

#ifdef _WIN32
#include <windows.h>
#define STANDIN_EXPORT __declspec(dllexport)
#else
#include <dlfcn.h>
#define STANDIN_EXPORT __attribute__((visibility("default")))
#endif

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "applications.h"
#include "ivr_client_core.h"
#include "journal_format.h"
#include "path_registry.h"
#include "server_log.h"
#include "state.h"

namespace standin {
namespace {

// Where the runtime keeps its state: <root>/state, next to the library the
// SDK loaded from <root>/bin/linux64/vrclient.so (Linux) or
// <root>\bin\vrclient_x64.dll (Windows). A loaded library can always name
// its own file; if not, better to stop than to write state somewhere
// unexpected.
std::filesystem::path stateDirectoryPath() {
#ifdef _WIN32
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&stateDirectoryPath), &self)) {
    std::abort();
  }
  std::wstring name(32768, L'\0');
  const DWORD length = GetModuleFileNameW(self, name.data(), static_cast<DWORD>(name.size()));
  if (length == 0 || length >= name.size()) std::abort();
  name.resize(length);
  const std::filesystem::path bin = std::filesystem::path(name).parent_path();
#else
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&stateDirectoryPath), &info) == 0 ||
      info.dli_fname == nullptr) {
    std::abort();
  }
  const std::filesystem::path bin =
      std::filesystem::path(info.dli_fname).parent_path().parent_path();
#endif
  return bin.parent_path() / "state";
}

class ClientCore final : public IVRClientCore {
 public:
  explicit ClientCore(const std::filesystem::path& statePath) : state_(statePath) {}

  vr::EVRInitError Init(vr::EVRApplicationType eApplicationType,
                        const char* pStartupInfo) override {
    state_.record("Init " + std::to_string(eApplicationType) + " " + quoteArgument(pStartupInfo));
    const Faults faults = state_.loadFaults();
    if (faults.initError != vr::VRInitError_None) return faults.initError;
    // The runtime's client reads the paths file with the loader's own code
    // and needs its config and log folders: a file with "config": null
    // fails with 111 (pyopenvr #55); 112 is the same for the log folder.
    const std::optional<RuntimePaths> paths = readRuntimePaths();
    if (!paths) return vr::VRInitError_Init_PathRegistryNotFound;
    if (paths->config.empty()) return vr::VRInitError_Init_NoConfigPath;
    if (paths->log.empty()) return vr::VRInitError_Init_NoLogPath;
    state_.setConfigFolder(std::filesystem::u8path(paths->config));
    state_.setLogFolder(std::filesystem::u8path(paths->log));
    if (!state_.running()) {
      // A background application never starts the server: "Not starting
      // vrserver for background app", then 121. Any other starts it, and it
      // loads its records, dropping what it cannot read.
      if (eApplicationType == vr::VRApplication_Background) {
        return vr::VRInitError_Init_NoServerForBackgroundApp;
      }
      startServer();
    }
    applicationsUnavailable_ = faults.applicationsUnavailable;
    applications_ = std::make_unique<Applications>(state_, faults);
    return vr::VRInitError_None;
  }

  void Cleanup() override {
    state_.record("Cleanup");
    applications_.reset();
  }

  vr::EVRInitError IsInterfaceVersionValid(const char* pchInterfaceVersion) override {
    state_.record("IsInterfaceVersionValid " + quoteArgument(pchInterfaceVersion));
    return offers(pchInterfaceVersion) ? vr::VRInitError_None
                                       : vr::VRInitError_Init_InterfaceNotFound;
  }

  // IVRSystem is announced (the SDK insists on it) but not modelled: asking
  // for it yields null, which a utility application never notices.
  void* GetGenericInterface(const char* pchNameAndVersion, vr::EVRInitError* peError) override {
    state_.record("GetGenericInterface " + quoteArgument(pchNameAndVersion));
    void* found = nullptr;
    if (pchNameAndVersion && std::strcmp(pchNameAndVersion, vr::IVRApplications_Version) == 0 &&
        !applicationsUnavailable_) {
      found = applications_.get();
    }
    if (peError) *peError = found ? vr::VRInitError_None : vr::VRInitError_Init_InterfaceNotFound;
    return found;
  }

  bool BIsHmdPresent() override {
    state_.record("BIsHmdPresent");
    return false;
  }

  const char* GetEnglishStringForHmdError(vr::EVRInitError eError) override {
    state_.record("GetEnglishStringForHmdError " + std::to_string(eError));
    return cachedText("Stand-in runtime error (" + std::to_string(eError) + ")");
  }

  const char* GetIDForVRInitError(vr::EVRInitError eError) override {
    state_.record("GetIDForVRInitError " + std::to_string(eError));
    return cachedText("VRInitError_" + std::to_string(eError));
  }

 private:
  // The server's start: the list reloaded, unreadable manifests dropped, an
  // appconfig.json it cannot parse reset (openvr #1382).
  void startServer() {
    startServerLog(state_.logFolder());
    const Records stored = state_.loadRecords();
    Registry loaded;
    addRecords(loaded, stored, &state_.logFolder());
    state_.saveServerList(loaded);
    if (!stored.parsed || loaded.manifests.size() != stored.manifestPaths.size()) {
      state_.saveRecords(loaded);
    }
  }

  static bool offers(const char* version) {
    return version && (std::strcmp(version, vr::IVRSystem_Version) == 0 ||
                       std::strcmp(version, vr::IVRApplications_Version) == 0);
  }

  // Texts handed out must outlive the call; keep each one.
  const char* cachedText(const std::string& text) {
    return texts_.emplace(text, text).first->second.c_str();
  }

  StateDirectory state_;
  bool applicationsUnavailable_ = false;
  std::unique_ptr<Applications> applications_;
  std::map<std::string, std::string> texts_;
};

}  // namespace
}  // namespace standin

extern "C" STANDIN_EXPORT void* VRClientCoreFactory(const char* pInterfaceName, int* pReturnCode) {
  if (pInterfaceName == nullptr || std::strcmp(pInterfaceName, standin::kClientCoreVersion) != 0) {
    if (pReturnCode) *pReturnCode = vr::VRInitError_Init_InterfaceNotFound;
    return nullptr;
  }
  static standin::ClientCore core(standin::stateDirectoryPath());
  if (pReturnCode) *pReturnCode = vr::VRInitError_None;
  return &core;
}
