#include "command_line.h"

#include <cstdio>

#include "runtime.h"
#include "standard_streams.h"

#ifdef _WIN32
#include <optional>
#include <string>

#include "logger.h"
#include "utf16.h"
#endif

namespace corvane::tools {
namespace {

int usage(const char* toolName) {
  std::fprintf(stderr, "usage: %s <absolute-path-to.vrmanifest>\n", toolName);
  return kUsageError;
}

}  // namespace

int runManifestCommand(const char* toolName, int argc, char** argv, ManifestCommand command) {
  protectStandardStreams();
  if (argc != 2) return usage(toolName);
  return command(argv[1]);
}

#ifdef _WIN32
int runManifestCommand(const char* toolName, int argc, wchar_t** argv, ManifestCommand command) {
  protectStandardStreams();
  if (argc != 2) return usage(toolName);
  const std::optional<std::string> manifestPath = common::utf8FromUtf16(argv[1]);
  if (!manifestPath) {
    // Handing on an altered path could act on some other file.
    common::logError("Manifest path holds an unpaired UTF-16 surrogate and has no UTF-8 form: ",
                     common::displayableUtf8(argv[1]));
    return kUsageError;
  }
  return command(manifestPath->c_str());
}
#endif

}  // namespace corvane::tools
