#include "command_line.h"

#include <cstdio>
#include <memory>
#include <string>

#include "logger.h"
#include "one_line_logger.h"
#include "runtime.h"
#include "standard_streams.h"

#ifdef _WIN32
#include <optional>

#include "utf16.h"
#endif

namespace corvane::tools {
namespace {

// Before anything is logged: standard error safe to write to, and every
// line whole, whatever the values it carries hold.
void prepareOutput() {
  protectStandardStreams();
  common::setLogger(std::make_shared<common::OneLineLogger>(common::getLogger()));
}

int usage(const char* toolName, const char* option) {
  std::fprintf(stderr, "usage: %s %s%s%s<absolute-path-to.vrmanifest>\n", toolName,
               option ? "[" : "", option ? option : "", option ? "] " : "");
  return kUsageError;
}

// The index of the manifest's path in argv, and whether the option came
// before it; 0 when the arguments are not the tool's.
template <typename Char>
int manifestIndex(const char* option, int argc, Char** argv, bool* optionGiven) {
  const auto isOption = [&](const Char* argument) {
    if (option == nullptr) return false;
    const std::basic_string<Char> given(argument);
    return given ==
           std::basic_string<Char>(option, option + std::char_traits<char>::length(option));
  };
  *optionGiven = argc == 3 && isOption(argv[1]);
  if (*optionGiven) return 2;
  return argc == 2 && !isOption(argv[1]) ? 1 : 0;
}

}  // namespace

int runManifestCommand(const char* toolName, const char* option, int argc, char** argv,
                       ManifestCommand command) {
  prepareOutput();
  bool optionGiven = false;
  const int manifest = manifestIndex(option, argc, argv, &optionGiven);
  if (manifest == 0) return usage(toolName, option);
  return command(argv[manifest], optionGiven);
}

#ifdef _WIN32
int runManifestCommand(const char* toolName, const char* option, int argc, wchar_t** argv,
                       ManifestCommand command) {
  prepareOutput();
  bool optionGiven = false;
  const int manifest = manifestIndex(option, argc, argv, &optionGiven);
  if (manifest == 0) return usage(toolName, option);
  const std::optional<std::string> manifestPath = common::utf8FromUtf16(argv[manifest]);
  if (!manifestPath) {
    // Handing on an altered path could act on some other file.
    common::logError("Manifest path holds an unpaired UTF-16 surrogate and has no UTF-8 form: ",
                     common::displayableUtf8(argv[manifest]));
    return kUsageError;
  }
  return command(manifestPath->c_str(), optionGiven);
}
#endif

}  // namespace corvane::tools
