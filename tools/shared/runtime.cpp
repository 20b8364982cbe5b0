#include "runtime.h"

#include "logger.h"

namespace corvane::tools {
namespace {

// The runtime's texts reach operator<<, which must never see a null pointer.
const char* runtimeText(const char* text) { return text ? text : "(no text from the runtime)"; }

}  // namespace

bool connectAsUtility() {
  const vr::EVRInitError initErr = connect(vr::VRApplication_Utility);
  if (initErr != vr::VRInitError_None) {
    common::logError("VR_Init(Utility) failed: ", initErrorDescription(initErr));
  }
  return initErr == vr::VRInitError_None;
}

vr::EVRInitError connect(vr::EVRApplicationType type) {
  vr::EVRInitError initErr = vr::VRInitError_None;
  vr::VR_Init(&initErr, type);
  return initErr;
}

const char* initErrorDescription(vr::EVRInitError error) {
  return runtimeText(vr::VR_GetVRInitErrorAsEnglishDescription(error));
}

vr::IVRApplications* applications() {
  vr::IVRApplications* apps = vr::VRApplications();
  if (!apps) common::logError("Applications interface unavailable: ", vr::IVRApplications_Version);
  return apps;
}

const char* applicationsErrorName(vr::EVRApplicationError error) {
  vr::IVRApplications* apps = vr::VRApplications();
  return runtimeText(apps ? apps->GetApplicationsErrorNameFromEnum(error) : nullptr);
}

}  // namespace corvane::tools
