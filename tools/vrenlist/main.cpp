// vrenlist: registers a VR application's manifest with the OpenVR runtime
// permanently and switches auto-launch on for the companion application.
// Exit status: 0 done, 1 the runtime was unreachable or refused, 2 usage.
#include <openvr.h>

#include "command_line.h"
#include "logger.h"
#include "runtime.h"

namespace {

using corvane::common::logError;
using corvane::common::logInfo;
using namespace corvane::tools;

int registerManifest(const char* manifestPath, bool /*option*/) {
  if (!connectAsUtility()) return kRuntimeFailure;
  const RuntimeConnection connection;

  vr::IVRApplications* apps = applications();
  if (!apps) return kRuntimeFailure;
  const vr::EVRApplicationError addErr =
      apps->AddApplicationManifest(manifestPath, /*bTemporary=*/false);
  if (addErr != vr::VRApplicationError_None) {
    logError("AddApplicationManifest failed: ", applicationsErrorName(addErr));
    return kRuntimeFailure;
  }
  logInfo("Registered manifest: ", manifestPath);

  apps = applications();
  if (!apps) return kRuntimeFailure;
  const vr::EVRApplicationError launchErr =
      apps->SetApplicationAutoLaunch(kAppKey, /*bAutoLaunch=*/true);
  if (launchErr != vr::VRApplicationError_None) {
    logError("SetApplicationAutoLaunch failed: ", applicationsErrorName(launchErr));
    return kRuntimeFailure;
  }
  logInfo("Auto-launch enabled for app key: ", kAppKey);
  return kSuccess;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  return runManifestCommand("vrenlist", nullptr, argc, argv, registerManifest);
}
#else
int main(int argc, char** argv) {
  return runManifestCommand("vrenlist", nullptr, argc, argv, registerManifest);
}
#endif
