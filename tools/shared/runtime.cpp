#include "runtime.h"

#include "logger.h"

namespace corvane::tools {
namespace {

// The runtime's texts reach operator<<, which must never see a null pointer.
const char* runtimeText(const char* text) { return text ? text : "(no text from the runtime)"; }

}  // namespace

bool connectAsUtility() {
  return connectAs(vr::VRApplication_Utility, "Utility") == vr::VRInitError_None;
}

vr::EVRInitError connectAs(vr::EVRApplicationType type, const char* name, vr::EVRInitError quiet) {
  vr::EVRInitError initErr = vr::VRInitError_None;
  vr::VR_Init(&initErr, type);
  if (initErr != vr::VRInitError_None && initErr != quiet) {
    common::logError("VR_Init(", name,
                     ") failed: ", runtimeText(vr::VR_GetVRInitErrorAsEnglishDescription(initErr)));
  }
  return initErr;
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
