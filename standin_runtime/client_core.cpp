// The entry point the OpenVR SDK loads: <root>/bin/linux64/vrclient.so
// exports VRClientCoreFactory, whose object the SDK drives through the
// IVRClientCore interface below. The stand-in keeps its state in
// <root>/state, next to where it was loaded from.
#include <dlfcn.h>
#include <openvr.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "applications.h"
#include "journal_format.h"
#include "state.h"

namespace standin {
namespace {

constexpr const char* kClientCoreVersion = "IVRClientCore_003";

// The runtime side of the SDK, not in the public header; slot order matters.
class IVRClientCore {
 public:
  virtual vr::EVRInitError Init(vr::EVRApplicationType eApplicationType,
                                const char* pStartupInfo) = 0;
  virtual void Cleanup() = 0;
  virtual vr::EVRInitError IsInterfaceVersionValid(const char* pchInterfaceVersion) = 0;
  virtual void* GetGenericInterface(const char* pchNameAndVersion, vr::EVRInitError* peError) = 0;
  virtual bool BIsHmdPresent() = 0;
  virtual const char* GetEnglishStringForHmdError(vr::EVRInitError eError) = 0;
  virtual const char* GetIDForVRInitError(vr::EVRInitError eError) = 0;

 protected:
  ~IVRClientCore() = default;
};

std::filesystem::path stateDirectoryPath() {
  Dl_info info{};
  // A loaded library can always name its own file; if not, better to stop
  // than to write state somewhere unexpected.
  if (dladdr(reinterpret_cast<void*>(&stateDirectoryPath), &info) == 0 ||
      info.dli_fname == nullptr) {
    std::abort();
  }
  // <root>/bin/linux64/vrclient.so
  const std::filesystem::path library = info.dli_fname;
  return library.parent_path().parent_path().parent_path() / "state";
}

class ClientCore final : public IVRClientCore {
 public:
  explicit ClientCore(const std::filesystem::path& statePath) : state_(statePath) {}

  vr::EVRInitError Init(vr::EVRApplicationType eApplicationType,
                        const char* pStartupInfo) override {
    state_.record("Init " + std::to_string(eApplicationType) + " " + quoteArgument(pStartupInfo));
    const Faults faults = state_.loadFaults();
    if (faults.initError != vr::VRInitError_None) return faults.initError;
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

extern "C" __attribute__((visibility("default"))) void* VRClientCoreFactory(
    const char* pInterfaceName, int* pReturnCode) {
  if (pInterfaceName == nullptr || std::strcmp(pInterfaceName, standin::kClientCoreVersion) != 0) {
    if (pReturnCode) *pReturnCode = vr::VRInitError_Init_InterfaceNotFound;
    return nullptr;
  }
  static standin::ClientCore core(standin::stateDirectoryPath());
  if (pReturnCode) *pReturnCode = vr::VRInitError_None;
  return &core;
}
