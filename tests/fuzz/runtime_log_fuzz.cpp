// The runtime's log (vrserver.txt), as vrcheck reads it for what the
// runtime said of a manifest and of starting its app, and the report.
#include "findings.h"
#include "fuzz_support.h"
#include "log_check.h"
#include "report.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool silent = (fuzzing::silenceLogging(), true);
  (void)silent;
  const std::filesystem::path log = fuzzing::writeInput("log/vrserver.txt", data, size);
  // The manifest the corpus's lines name.
  const std::string manifest = "/opt/app/lumora.vrmanifest";
  vrcheck::Findings findings(/*keep=*/true);
  vrcheck::checkRuntimeLog(log.parent_path(), manifest, manifest, findings);
  vrcheck::report(manifest, 3, findings.kept());
  return 0;
}
