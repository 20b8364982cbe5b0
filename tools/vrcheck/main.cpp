// vrcheck: tells whether the OpenVR runtime will really start the companion
// application with itself, and if not, why not and what to do. It reads the
// manifest and the files the SDK finds the runtime by, then asks the
// runtime; it changes nothing. With --json, standard output carries the
// same findings as data.
// Exit status: 0 all in place, 1 the runtime was unreachable or refused a
// query, 2 usage, 3 something is not in place.
#include <filesystem>

#include "command_line.h"
#include "connection.h"
#include "findings.h"
#include "manifest_file.h"
#include "refusal.h"
#include "registration.h"
#include "report.h"
#include "road_checks.h"
#include "runtime.h"
#include "standard_error.h"
#include "windows_launch.h"

namespace {

using namespace corvane::tools;
using namespace corvane::vrcheck;

constexpr int kNotInPlace = 3;

int verdict(const Findings& findings) { return findings.allInPlace() ? kSuccess : kNotInPlace; }

int checkAll(const char* manifestPath, Findings& findings) {
  std::filesystem::path manifest = std::filesystem::u8path(manifestPath);
  std::error_code ignored;
  if (manifest.is_relative()) manifest = std::filesystem::absolute(manifest, ignored);

  const std::filesystem::path binary = checkManifestFile(manifest, manifestPath, findings);
  checkWindowsLaunch(manifest, manifestPath, binary, findings);
  const ConnectionFacts facts = checkConnection(manifestPath, findings);
  const std::filesystem::path config = std::filesystem::u8path(facts.config);
  const std::filesystem::path log = std::filesystem::u8path(facts.log);
  if (!facts.connect) {
    // A translation layer is never loaded; the records of the vendor's
    // runtime listed after it answer, as they do when it is not running.
    if (!facts.layer) return kRuntimeFailure;
    const bool vendor = !facts.vendorRuntime.empty() && !facts.config.empty();
    if (vendor) {
      findings.inPlace("vendor-records", "The layer is not loaded; the records of the runtime in ",
                       Path{"runtime_folder", facts.vendorRuntime}, " answer, in ",
                       Path{"config_folder", facts.config});
    }
    checkRoad(Road{vendor ? config : std::filesystem::path(), log}, manifest, binary, manifestPath,
              findings);
    return kNotInPlace;
  }
  // In the background: a utility connection would start the runtime, which
  // then prunes its records, and a check must not change what it checks.
  const vr::EVRInitError init = connect(vr::VRApplication_Background);
  if (init == vr::VRInitError_Init_NoServerForBackgroundApp) {
    findings.inPlace("runtime-stopped", "Runtime not running; its records answer, in ",
                     Path{"config_folder", facts.config});
    checkRoad(Road{config, log, nullptr, /*stopped=*/true}, manifest, binary, manifestPath,
              findings);
    return verdict(findings);
  }
  // The runtime's own answer is the authority; the findings above explain it.
  if (init != vr::VRInitError_None) {
    findings.failed("runtime-unreachable",
                    "VR_Init(Background) failed: ", initErrorDescription(init));
    explainInitFailure(facts, init, findings);
    return kRuntimeFailure;
  }
  const RuntimeConnection connection;
  vr::IVRApplications* apps = vr::VRApplications();
  if (apps == nullptr) {
    findings.failed("applications-unavailable",
                    "Applications interface unavailable: ", vr::IVRApplications_Version);
    if (!explainMissingInterface(facts, vr::IVRApplications_Version, findings)) {
      explainMissingApplications(facts, findings);
    }
    return kRuntimeFailure;
  }
  LiveAnswers live;
  if (!checkRegistration(*apps, manifest, binary, config, manifestPath, findings, &live)) {
    return kRuntimeFailure;
  }
  checkRoad(Road{config, log, &live}, manifest, binary, manifestPath, findings);
  return verdict(findings);
}

int check(const char* manifestPath, bool json) {
  Findings findings(/*keep=*/json);
  const int status = checkAll(manifestPath, findings);
  if (json) corvane::common::writeStandardOutput(report(manifestPath, status, findings.kept()));
  return status;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  return runManifestCommand("vrcheck", "--json", argc, argv, check);
}
#else
int main(int argc, char** argv) {
  return runManifestCommand("vrcheck", "--json", argc, argv, check);
}
#endif
