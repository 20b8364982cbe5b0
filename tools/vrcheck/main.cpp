// vrcheck: tells whether the OpenVR runtime will really start the companion
// application with itself, and if not, why not and what to do. It reads the
// manifest and the files the SDK finds the runtime by, then asks the
// runtime; it changes nothing.
// Exit status: 0 all in place, 1 the runtime was unreachable or refused a
// query, 2 usage, 3 something is not in place.
#include <filesystem>

#include "command_line.h"
#include "connection.h"
#include "findings.h"
#include "manifest_file.h"
#include "records.h"
#include "registration.h"
#include "runtime.h"

namespace {

using namespace corvane::tools;
using namespace corvane::vrcheck;

constexpr int kNotInPlace = 3;

int check(const char* manifestPath) {
  std::filesystem::path manifest = std::filesystem::u8path(manifestPath);
  std::error_code ignored;
  if (manifest.is_relative()) manifest = std::filesystem::absolute(manifest, ignored);

  Findings findings;
  const std::filesystem::path binary = checkManifestFile(manifest, manifestPath, findings);
  const ConnectionFacts facts = checkConnection(manifestPath, findings);
  const std::filesystem::path config = std::filesystem::u8path(facts.config);
  // In the background: a utility connection would start the runtime, which
  // then prunes its records, and a check must not change what it checks.
  const vr::EVRInitError init = connectAs(vr::VRApplication_Background, "Background",
                                          vr::VRInitError_Init_NoServerForBackgroundApp);
  if (init == vr::VRInitError_Init_NoServerForBackgroundApp) {
    findings.inPlace("Runtime not running; its records answer, in ", facts.config);
    if (!facts.config.empty()) checkRecords(config, manifest, manifestPath, findings);
    return findings.allInPlace() ? kSuccess : kNotInPlace;
  }
  // The runtime's own answer is the authority; the findings above explain it.
  if (init != vr::VRInitError_None) {
    if (facts.inPlace) explainRefusal(facts, findings);
    return kRuntimeFailure;
  }
  const RuntimeConnection connection;
  vr::IVRApplications* apps = applications();
  if (apps == nullptr) {
    explainMissingApplications(facts, findings);
    return kRuntimeFailure;
  }
  LiveAnswers live;
  if (!checkRegistration(*apps, manifest, binary, manifestPath, findings, &live)) {
    return kRuntimeFailure;
  }
  if (!facts.config.empty()) {
    noteLaggingRecords(config, manifest, live.registeredHere, live.autoLaunch, findings);
  }
  return findings.allInPlace() ? kSuccess : kNotInPlace;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) { return runManifestCommand("vrcheck", argc, argv, check); }
#else
int main(int argc, char** argv) { return runManifestCommand("vrcheck", argc, argv, check); }
#endif
