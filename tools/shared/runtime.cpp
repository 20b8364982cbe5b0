#include "runtime.h"

#include "logger.h"

namespace corvane::tools {
namespace {

// The runtime's texts reach operator<<, which must never see a null pointer.
const char* runtimeText(const char* text) { return text ? text : "(no text from the runtime)"; }

}  // namespace

bool connectAsUtility() {
  vr::EVRInitError initErr = vr::VRInitError_None;
  vr::VR_Init(&initErr, vr::VRApplication_Utility);
  if (initErr == vr::VRInitError_None) return true;
  common::logError("VR_Init(Utility) failed: ",
                   runtimeText(vr::VR_GetVRInitErrorAsEnglishDescription(initErr)));
  return false;
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
