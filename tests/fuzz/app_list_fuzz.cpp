// The runtime's list of apps (appconfig.json), as vrcheck reads it with
// the runtime stopped or running; the manifests it lists are read too.
#include "findings.h"
#include "fuzz_support.h"
#include "records.h"
#include "report.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool silent = (fuzzing::silenceLogging(), true);
  (void)silent;
  const std::filesystem::path config =
      fuzzing::writeInput("config/appconfig.json", data, size).parent_path();
  const std::filesystem::path manifest = fuzzing::scratch() / "app" / "lumora.vrmanifest";
  vrcheck::Findings findings(/*keep=*/true);
  vrcheck::checkRecords(config, manifest, manifest.string(), findings);
  vrcheck::noteLaggingRecords(config, manifest, true, true, findings);
  vrcheck::registeredManifestIn(config, manifest.parent_path());
  vrcheck::report("/opt/app.vrmanifest", 3, findings.kept());  // the findings as data too
  return 0;
}
