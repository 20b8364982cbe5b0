// Runs the tools as processes against a private stand-in runtime that
// journals every call: the Linux build, and the Windows build under Wine,
// from the same assertions.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"
#include "process.h"
#include "standin.h"

namespace standin {
inline void PrintTo(const JournalEntry& entry, std::ostream* out) {
  *out << entry.call;
  for (const std::string& argument : entry.arguments)
    *out << " " << quoteArgument(argument.c_str());
}
}  // namespace standin

namespace corvane::testing {

using standin::JournalEntry;
using Calls = std::vector<JournalEntry>;

inline const std::string kUsage = "usage: vrenlist <absolute-path-to.vrmanifest>\n";
inline const std::regex kToolLine(R"(\[\d{2}:\d{2}:\d{2}\.\d{3}\] (\[[A-Z]+\] [^]*))");

inline const JournalEntry kInit{"Init", {"4", "null"}};
inline const JournalEntry kAutoLaunch{"SetApplicationAutoLaunch", {"lumora.corvane", "true"}};
inline const JournalEntry kAutoLaunchOff{"SetApplicationAutoLaunch", {"lumora.corvane", "false"}};
inline const JournalEntry kCleanup{"Cleanup", {}};

// a, then b: expected calls or lines in the order they come.
template <typename T>
std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline JournalEntry addManifest(const std::string& path) {
  return {"AddApplicationManifest", {path, "false"}};
}
inline JournalEntry removeManifest(const std::string& path) {
  return {"RemoveApplicationManifest", {path}};
}
inline JournalEntry errorName(int error) {
  return {"GetApplicationsErrorNameFromEnum", {std::to_string(error)}};
}

// The tool's own log lines without their timestamps; lines the SDK prints
// itself are left out.
inline std::vector<std::string> toolLines(const std::string& standardError) {
  std::vector<std::string> lines;
  for (const std::string& line : splitLines(standardError)) {
    std::smatch match;
    if (std::regex_match(line, match, kToolLine)) lines.push_back(match[1]);
  }
  return lines;
}

// A tool run by one platform's build against its own stand-in runtime.
// run() runs the tool the suite is about; runTool() any of them.
class ToolTestBase : public ::testing::Test {
 protected:
  ToolTestBase(std::string tool, Platform platform)
      : tool_(std::move(tool)), platform_(platform), runtime(platform) {}

  struct Outcome {
    int exitStatus;
    std::vector<std::string> lines;  // see toolLines()
    std::string standardError;       // with Unix newlines
    std::string rawStandardError;    // as written
    std::string standardOutput;      // with Unix newlines
  };

  Platform platform() const { return platform_; }

  // A local file as the tool under test names it.
  std::string argument(const std::filesystem::path& path) const {
    return nativePath(platform(), path);
  }

  // Writes a manifest declaring one application; returns the argument that
  // names it.
  std::string manifest(const std::filesystem::path& name,
                       const std::string& appKey = "lumora.corvane") const {
    return argument(runtime.writeManifest(name, appKey));
  }

  Outcome run(const std::vector<std::string>& arguments,
              ErrorStream errorStream = ErrorStream::Captured) const {
    return runTool(tool_, arguments, errorStream);
  }

  Outcome runTool(const std::string& tool, const std::vector<std::string>& arguments,
                  ErrorStream errorStream = ErrorStream::Captured) const {
    ProcessOptions options;
    options.environment = runtime.environment();
    for (const auto& [name, value] : environment) options.environment[name] = value;
    options.errorStream = errorStream;
    options.captureOutput = true;
    options.workingFolder = workingFolder.string();
    const ProcessResult result =
        runProcess(wrapper + toolCommand(platform(), tool, arguments), options);
    EXPECT_EQ(result.signal, 0);
    const std::string standardError = withUnixNewlines(platform(), result.standardError);
    return {result.exitStatus, toolLines(standardError), standardError, result.standardError,
            withUnixNewlines(platform(), result.standardOutput)};
  }

  JournalEntry lastRegistration() const {
    const Calls calls = runtime.calls();
    for (auto call = calls.rbegin(); call != calls.rend(); ++call) {
      if (call->call == "AddApplicationManifest") return *call;
    }
    return {};
  }

  const std::string tool_;
  const Platform platform_;
  StandinRuntime runtime;
  // More for the tools' environment, e.g. {{"TZ", ...}}.
  std::map<std::string, std::string> environment;
  // A command that runs the tool, e.g. {"setpriv", ...}.
  std::vector<std::string> wrapper;
  // The tool's working folder, if not this process's.
  std::filesystem::path workingFolder;
};

// Parameterised over the platform whose build runs; each suite instantiates
// itself with one of the macros at the end.
class ToolTest : public ::testing::WithParamInterface<Platform>, public ToolTestBase {
 protected:
  explicit ToolTest(std::string tool) : ToolTestBase(std::move(tool), GetParam()) {}
};

class VrenlistTest : public ToolTest {
 protected:
  VrenlistTest() : ToolTest("vrenlist") {}
};

class VrdelistTest : public ToolTest {
 protected:
  VrdelistTest() : ToolTest("vrdelist") {}
};

}  // namespace corvane::testing

// Runs a suite for the Linux build and, when this test build knows a Windows
// build (VRENLIST_WINDOWS_BUILD_DIR), for that one too. Suites named Linux/*
// and Windows/* are registered with ctest apart: the Windows ones share one
// Wine prefix.
#define VRENLIST_INSTANTIATE_FOR_LINUX(suite) \
  INSTANTIATE_TEST_SUITE_P(Linux, suite, ::testing::Values(Platform::Linux))
#ifdef VRENLIST_TEST_WINDOWS
#define VRENLIST_INSTANTIATE_FOR_WINDOWS(suite) \
  INSTANTIATE_TEST_SUITE_P(Windows, suite, ::testing::Values(Platform::Windows))
#else
#define VRENLIST_INSTANTIATE_FOR_WINDOWS(suite) GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(suite)
#endif
#define VRENLIST_INSTANTIATE_FOR_EVERY_PLATFORM(suite) \
  VRENLIST_INSTANTIATE_FOR_LINUX(suite);               \
  VRENLIST_INSTANTIATE_FOR_WINDOWS(suite)
