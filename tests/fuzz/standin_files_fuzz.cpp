// The files the stand-in runtime reads, whose faults the tests rely on it
// to meet as the vendor's runtime does. The first byte says which file the
// rest is: the paths file (as the runtime reads it), the list of apps, an
// app's options, or a listed manifest; the records are then loaded as the
// server loads them at its start, and written back.
#include <cstdlib>

#include "applications.h"
#include "fuzz_support.h"
#include "path_registry.h"
#include "state.h"

using namespace corvane;

namespace {

struct Files {
  std::filesystem::path paths = fuzzing::scratch() / "openvrpaths.vrpath";
  std::filesystem::path config = fuzzing::scratch() / "config";
  std::filesystem::path manifest = fuzzing::scratch() / "app" / "lumora.vrmanifest";
};

const Files& files() {
  static const Files files = [] {
    Files laidOut;
    setenv("VR_PATHREG_OVERRIDE", laidOut.paths.c_str(), 1);
    for (const char* name : {"VR_OVERRIDE", "VR_CONFIG_PATH", "VR_LOG_PATH"}) unsetenv(name);
    return laidOut;
  }();
  return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Files& laidOut = files();
  std::error_code ignored;
  std::filesystem::remove_all(laidOut.config, ignored);
  const std::filesystem::path names[] = {
      laidOut.paths, laidOut.config / "appconfig.json",
      laidOut.config / "vrappconfig" / "lumora.corvane.vrappconfig", laidOut.manifest};
  const std::filesystem::path& file = names[data[0] % 4];
  fuzzing::writeInput(std::filesystem::relative(file, fuzzing::scratch()), data + 1, size - 1);
  if (file != laidOut.config / "appconfig.json") {
    const std::string list = R"({"manifest_paths": [")" + laidOut.manifest.string() + R"("]})";
    fuzzing::writeInput("config/appconfig.json", reinterpret_cast<const std::uint8_t*>(list.data()),
                        list.size());
  }

  standin::readRuntimePaths();
  standin::StateDirectory state(fuzzing::scratch() / "state");
  state.setConfigFolder(laidOut.config);
  const standin::Records records = state.loadRecords();
  standin::Registry loaded;
  standin::addRecords(loaded, records);
  state.saveRecords(loaded);
  return 0;
}
