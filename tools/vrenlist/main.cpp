// vrenlist: registers a VR application's manifest with the OpenVR runtime
// permanently and switches auto-launch on for the companion application.
// Exit status: 0 done, 1 the runtime was unreachable or refused, 2 usage.
#include <openvr.h>

#include <cstdio>

#include "logger.h"
#include "standard_streams.h"

#ifdef _WIN32
#include <optional>
#include <string>

#include "utf16.h"
#endif

namespace {

using corvane::common::logError;
using corvane::common::logInfo;

constexpr const char* kAppKey = "lumora.corvane";

constexpr int kSuccess = 0;
constexpr int kRuntimeFailure = 1;
constexpr int kUsageError = 2;

// The runtime's texts reach operator<<, which must never see a null pointer.
const char* runtimeText(const char* text) { return text ? text : "(no text from the runtime)"; }

// Holds the connection opened by a successful VR_Init; closes it on every road.
class RuntimeConnection {
 public:
  RuntimeConnection() = default;
  RuntimeConnection(const RuntimeConnection&) = delete;
  RuntimeConnection& operator=(const RuntimeConnection&) = delete;
  ~RuntimeConnection() { vr::VR_Shutdown(); }
};

// The applications interface, fetched afresh as the SDK expects; logs and
// returns null when the runtime does not offer it.
vr::IVRApplications* applications() {
  vr::IVRApplications* apps = vr::VRApplications();
  if (!apps) logError("Applications interface unavailable: ", vr::IVRApplications_Version);
  return apps;
}

const char* applicationsErrorName(vr::EVRApplicationError error) {
  vr::IVRApplications* apps = vr::VRApplications();
  return runtimeText(apps ? apps->GetApplicationsErrorNameFromEnum(error) : nullptr);
}

int registerManifest(const char* manifestPath) {
  vr::EVRInitError initErr = vr::VRInitError_None;
  vr::VR_Init(&initErr, vr::VRApplication_Utility);
  if (initErr != vr::VRInitError_None) {
    logError("VR_Init(Utility) failed: ",
             runtimeText(vr::VR_GetVRInitErrorAsEnglishDescription(initErr)));
    return kRuntimeFailure;
  }
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

int usage() {
  std::fprintf(stderr, "usage: vrenlist <absolute-path-to.vrmanifest>\n");
  return kUsageError;
}

}  // namespace

#ifdef _WIN32
// The narrow argv of main is in the ANSI code page, which garbles or drops
// characters outside it. The wide command line is what the user typed, and
// its UTF-8 form is what the runtime expects.
int wmain(int argc, wchar_t** argv) {
  protectStandardStreams();
  if (argc != 2) return usage();
  const std::optional<std::string> manifestPath = corvane::common::utf8FromUtf16(argv[1]);
  if (!manifestPath) {
    // Handing on an altered path could register some other file.
    logError("Manifest path holds an unpaired UTF-16 surrogate and has no UTF-8 form: ",
             corvane::common::displayableUtf8(argv[1]));
    return kUsageError;
  }
  return registerManifest(manifestPath->c_str());
}
#else
int main(int argc, char** argv) {
  protectStandardStreams();
  if (argc != 2) return usage();
  return registerManifest(argv[1]);
}
#endif
