// The tool as a user meets it: a process, its standard error and its status.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "process.h"
#include "temp_dir.h"

namespace corvane::testing {
namespace {

const std::string kUsage = "usage: vrenlist <absolute-path-to.vrmanifest>\n";
const std::regex kToolLine(R"(\[\d{2}:\d{2}:\d{2}\.\d{3}\] \[[A-Z]+\] .*)");

// The tool's own log lines; the SDK may print lines of its own beside them.
std::vector<std::string> toolLines(const std::string& standardError) {
  std::vector<std::string> result;
  for (const std::string& line : splitLines(standardError)) {
    if (std::regex_match(line, kToolLine)) result.push_back(line.substr(15));
  }
  return result;
}

// A home with no runtime registered: the SDK finds no runtime to load.
ProcessResult runWithoutRuntime(std::vector<std::string> arguments) {
  const TempDir home;
  arguments.insert(arguments.begin(), VRENLIST_PATH);
  ProcessOptions options;
  options.environment = {{"HOME", home.path().string()},
                         {"XDG_CONFIG_HOME", (home.path() / "config").string()}};
  return runProcess(arguments, options);
}

TEST(VrenlistCommandLineTest, WrongArgumentCountPrintsOnlyTheUsage) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{}, {"/a.vrmanifest", "/b.vrmanifest"}, {"a", "b", "c"}}) {
    const ProcessResult result = runWithoutRuntime(arguments);
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.standardError, kUsage);
  }
}

TEST(VrenlistCommandLineTest, UnreachableRuntimeGivesOneErrorLine) {
  const ProcessResult result = runWithoutRuntime({"/tmp/x.vrmanifest"});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(toolLines(result.standardError),
            std::vector<std::string>{
                "[ERROR] VR_Init(Utility) failed: Installation path could not be located (110)"})
      << result.standardError;
}

}  // namespace
}  // namespace corvane::testing
