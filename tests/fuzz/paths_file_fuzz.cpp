// The runtime's paths file, as vrcheck reads it and applies the SDK
// loader's rules to it: the lists, the runtime folder, the overrides.
#include <cstdlib>

#include "connection.h"
#include "findings.h"
#include "fuzz_support.h"
#include "report.h"

using namespace corvane;

namespace {

std::filesystem::path pathsFile() {
  const std::filesystem::path file = fuzzing::scratch() / "openvrpaths.vrpath";
  setenv("VR_PATHREG_OVERRIDE", file.c_str(), 1);
  for (const char* name : {"VR_OVERRIDE", "VR_CONFIG_PATH", "VR_LOG_PATH"}) unsetenv(name);
  fuzzing::silenceLogging();
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path file = pathsFile();
  fuzzing::writeInput(file.filename(), data, size);
  vrcheck::Findings findings(/*keep=*/true);
  const vrcheck::ConnectionFacts facts = vrcheck::checkConnection("/opt/app.vrmanifest", findings);
  if (!facts.inPlace) vrcheck::explainMissingApplications(facts, findings);
  vrcheck::report("/opt/app.vrmanifest", 3, findings.kept());  // the findings as data too
  return 0;
}
