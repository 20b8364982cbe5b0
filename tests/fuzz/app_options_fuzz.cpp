// The app's options (vrappconfig/lumora.corvane.vrappconfig), as vrcheck
// reads them with the runtime stopped or running.
#include "findings.h"
#include "fuzz_support.h"
#include "records.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool silent = (fuzzing::silenceLogging(), true);
  (void)silent;
  const std::filesystem::path options =
      fuzzing::writeInput("config/vrappconfig/lumora.corvane.vrappconfig", data, size);
  const std::filesystem::path config = options.parent_path().parent_path();
  const std::filesystem::path manifest = fuzzing::scratch() / "app" / "lumora.vrmanifest";
  vrcheck::Findings findings(/*keep=*/true);
  vrcheck::checkRecords(config, manifest, manifest.string(), findings);
  vrcheck::noteLaggingRecords(config, manifest, false, true, findings);
  return 0;
}
