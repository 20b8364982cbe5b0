// The runtime's bin/version.txt, as vrcheck reads it when the runtime
// refused an interface, and the report.
#include <fstream>

#include "connection.h"
#include "findings.h"
#include "fuzz_support.h"
#include "loader_paths.h"
#include "refusal.h"
#include "report.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool silent = (fuzzing::silenceLogging(), true);
  (void)silent;
  const std::filesystem::path version = fuzzing::writeInput("runtime/bin/version.txt", data, size);
  const std::filesystem::path runtime = version.parent_path().parent_path();
  // A library that names no interface: the road that reads the version.
  static const bool library = [&] {
    std::filesystem::create_directories(vrcheck::clientLibrary(runtime).parent_path());
    std::ofstream(vrcheck::clientLibrary(runtime)) << "not a library";
    return true;
  }();
  (void)library;
  vrcheck::ConnectionFacts facts;
  facts.runtime = runtime.u8string();
  vrcheck::Findings findings(/*keep=*/true);
  vrcheck::explainMissingInterface(facts, "IVRSystem_022", findings);
  vrcheck::report("/opt/app.vrmanifest", 1, findings.kept());
  return 0;
}
