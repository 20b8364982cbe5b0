// The app's binary, of which vrcheck reads the first bytes to tell an
// AppImage, through the manifest checks that name it.
#include "findings.h"
#include "fuzz_support.h"
#include "manifest_file.h"
#include "report.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool silent = (fuzzing::silenceLogging(), true);
  (void)silent;
  static const std::uint8_t kManifest[] =
      R"({"applications": [{"app_key": "lumora.corvane", "binary_path_linux": "lumora",
          "binary_path_windows": "lumora", "is_dashboard_overlay": true}]})";
  const std::filesystem::path manifest =
      fuzzing::writeInput("app/lumora.vrmanifest", kManifest, sizeof kManifest - 1);
  fuzzing::writeInput("app/lumora", data, size);
  vrcheck::Findings findings(/*keep=*/true);
  vrcheck::checkManifestFile(manifest, manifest.string(), findings);
  vrcheck::report("/opt/app.vrmanifest", 3, findings.kept());
  return 0;
}
