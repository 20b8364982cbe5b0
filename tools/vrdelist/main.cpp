// vrdelist: undoes what vrenlist did, for an uninstall or a move. It
// switches auto-launch off for the companion application while its key is
// still known, then removes the manifest from the OpenVR runtime's list.
// Exit status: 0 done, 1 the runtime was unreachable or refused, 2 usage.
#include <openvr.h>

#include "command_line.h"
#include "logger.h"
#include "runtime.h"

namespace {

using corvane::common::logError;
using corvane::common::logInfo;
using namespace corvane::tools;

int unregisterManifest(const char* manifestPath, bool /*option*/) {
  if (!connectAsUtility()) return kRuntimeFailure;
  const RuntimeConnection connection;

  vr::IVRApplications* apps = applications();
  if (!apps) return kRuntimeFailure;
  const vr::EVRApplicationError launchErr =
      apps->SetApplicationAutoLaunch(kAppKey, /*bAutoLaunch=*/false);
  if (launchErr == vr::VRApplicationError_None) {
    logInfo("Auto-launch disabled for app key: ", kAppKey);
  } else if (launchErr == vr::VRApplicationError_UnknownApplication) {
    // No manifest declares the key, so its auto-launch cannot be on.
    logInfo("App key not registered, auto-launch already off: ", kAppKey);
  } else {
    // The manifest stays, so that a rerun can still switch the flag off.
    logError("SetApplicationAutoLaunch failed: ", applicationsErrorName(launchErr));
    return kRuntimeFailure;
  }

  apps = applications();
  if (!apps) return kRuntimeFailure;
  const vr::EVRApplicationError removeErr = apps->RemoveApplicationManifest(manifestPath);
  if (removeErr != vr::VRApplicationError_None) {
    logError("RemoveApplicationManifest failed: ", applicationsErrorName(removeErr));
    return kRuntimeFailure;
  }
  logInfo("Removed manifest: ", manifestPath);
  return kSuccess;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  return runManifestCommand("vrdelist", nullptr, argc, argv, unregisterManifest);
}
#else
int main(int argc, char** argv) {
  return runManifestCommand("vrdelist", nullptr, argc, argv, unregisterManifest);
}
#endif
