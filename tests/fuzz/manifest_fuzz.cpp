// The manifest, as vrcheck reads the file the user names.
#include "findings.h"
#include "fuzz_support.h"
#include "manifest_file.h"
#include "report.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool silent = (fuzzing::silenceLogging(), true);
  (void)silent;
  const std::filesystem::path file = fuzzing::writeInput("app/lumora.vrmanifest", data, size);
  vrcheck::Findings findings(/*keep=*/true);
  vrcheck::checkManifestFile(file, file.string(), findings);
  vrcheck::report("/opt/app.vrmanifest", 3, findings.kept());  // the findings as data too
  return 0;
}
