// The runtime's settings (steamvr.vrsettings), as vrcheck reads them on
// every road that knows the config folder, and the report.
#include "findings.h"
#include "fuzz_support.h"
#include "report.h"
#include "settings.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool silent = (fuzzing::silenceLogging(), true);
  (void)silent;
  const std::filesystem::path settings =
      fuzzing::writeInput("config/steamvr.vrsettings", data, size);
  vrcheck::Findings findings(/*keep=*/true);
  vrcheck::checkSettings(settings.parent_path(), findings);
  vrcheck::report("/opt/app.vrmanifest", 3, findings.kept());
  return 0;
}
