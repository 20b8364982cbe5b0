// The tool as a user meets it: a process, its standard error and its exit
// status, on every road the runtime's answers can send it down, for the
// Linux build and for the Windows build under Wine.
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <regex>

#include "time_of_day.h"
#include "tool_test_fixture.h"

namespace corvane::testing {
namespace {

// The messages of the runtime's log in folder, each line checked against
// the runtime's format: microseconds on Linux, milliseconds and CRLF on
// Windows.
std::vector<std::string> logMessagesIn(const std::filesystem::path& folder, Platform platform) {
  const bool windows = platform == Platform::Windows;
  const std::regex line(
      std::string(R"([A-Z][a-z]{2} [A-Z][a-z]{2} \d{2} \d{4} \d{2}:\d{2}:\d{2}\.)") +
      (windows ? R"(\d{3})" : R"(\d{6})") + R"( \[Info\] - (.*))" + (windows ? "\r" : ""));
  std::vector<std::string> messages;
  std::istringstream log(readFile(folder / "vrserver.txt"));
  for (std::string text; std::getline(log, text);) {
    std::smatch match;
    EXPECT_TRUE(std::regex_match(text, match, line)) << text;
    messages.push_back(match.size() > 1 ? match[1].str() : text);
  }
  return messages;
}

TEST_P(VrenlistTest, WrongArgumentCountPrintsOnlyTheUsage) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {}, {"/a.vrmanifest", "/b.vrmanifest"}, {"a", "b", "c"}}) {
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.exitStatus, 2);
    EXPECT_EQ(outcome.standardError, kUsage);
  }
  EXPECT_EQ(runtime.journal(), Calls{});
}

TEST_P(VrenlistTest, UnreachableRuntimeGivesOneErrorLine) {
  runtime.unregister();
  const Outcome outcome = run({"/tmp/x.vrmanifest"});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines, std::vector<std::string>{"[ERROR] VR_Init(Utility) failed: "
                                                    "Installation path could not be located (110)"})
      << outcome.standardError;
  // The SDK says why on its own line.
  EXPECT_NE(outcome.standardError.find("Unable to read VR Path Registry from " +
                                       runtime.pathRegistryName() + "\n"),
            std::string::npos)
      << outcome.standardError;
  EXPECT_EQ(runtime.journal(), Calls{});
}

TEST_P(VrenlistTest, RegistersPermanentlyAndEnablesAutoLaunch) {
  const std::string path = manifest("app.vrmanifest");
  const Outcome outcome = run({path});

  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(outcome.lines,
            (std::vector<std::string>{"[INFO] Registered manifest: " + path,
                                      "[INFO] Auto-launch enabled for app key: lumora.corvane"}));
  EXPECT_EQ(splitLines(outcome.standardError).size(), 2u) << outcome.standardError;
  EXPECT_EQ(runtime.calls(), (Calls{kInit, addManifest(path), kAutoLaunch, kCleanup}));

  // Byte for byte what the runtime stores, whichever platform wrote it.
  EXPECT_EQ(runtime.registryBytes(), storedRecords({path}, {{"lumora.corvane", true}}));
  EXPECT_EQ(runtime.journalBytes().find('\r'), std::string::npos);
}

TEST_P(VrenlistTest, SecondRunRepeatsBothCalls) {
  const std::string path = manifest("app.vrmanifest");
  EXPECT_EQ(run({path}).exitStatus, 0);
  EXPECT_EQ(run({path}).exitStatus, 0);
  const Calls once{kInit, addManifest(path), kAutoLaunch, kCleanup};
  Calls twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(runtime.calls(), twice);
}

TEST_P(VrenlistTest, FailedInitialisationReportsTheDescriptionAndNeverShutsDown) {
  runtime.setFaults({{"initError", 108}});
  const Outcome outcome = run({"/opt/app/app.vrmanifest"});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{"[ERROR] VR_Init(Utility) failed: Hmd Not Found (108)"});
  EXPECT_EQ(runtime.calls(), Calls{kInit});
}

TEST_P(VrenlistTest, RefusedRegistrationSkipsAutoLaunch) {
  const std::string path = manifest("app.vrmanifest");
  runtime.setFaults({{"addApplicationManifestError", 105}});
  const Outcome outcome = run({path});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{
                "[ERROR] AddApplicationManifest failed: VRApplicationError_IPCFailed"});
  EXPECT_EQ(
      runtime.calls(),
      (Calls{kInit, addManifest(path), {"GetApplicationsErrorNameFromEnum", {"105"}}, kCleanup}));
  EXPECT_EQ(runtime.registry()["manifests"], nlohmann::json::object());
}

TEST_P(VrenlistTest, MissingManifestIsTheRuntimesToRefuse) {
  const Outcome outcome = run({argument(runtime.scratch() / "missing.vrmanifest")});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{
                "[ERROR] AddApplicationManifest failed: VRApplicationError_InvalidManifest"});
}

TEST_P(VrenlistTest, RefusedAutoLaunchKeepsTheRegistration) {
  const std::string path = manifest("other.vrmanifest", "other.app");
  const Outcome outcome = run({path});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            (std::vector<std::string>{
                "[INFO] Registered manifest: " + path,
                "[ERROR] SetApplicationAutoLaunch failed: VRApplicationError_UnknownApplication"}));
  EXPECT_EQ(runtime.calls(), (Calls{kInit,
                                    addManifest(path),
                                    kAutoLaunch,
                                    {"GetApplicationsErrorNameFromEnum", {"104"}},
                                    kCleanup}));
  EXPECT_EQ(runtime.registry()["manifests"][path], nlohmann::json({"other.app"}));
  EXPECT_FALSE(runtime.registry()["autoLaunch"].contains("lumora.corvane"));
}

// The runtime on Linux accepts a manifest whose binary lies under /usr but
// never lists its app, so switching auto-launch on fails; its log says why,
// and vrcheck quotes it.
TEST_P(VrenlistTest, AnAppUnderUsrIsNeverListed) {
  if (platform() != Platform::Linux) GTEST_SKIP() << "a Linux runtime's rule";
  // However it is spelt.
  for (const char* binary : {"/usr/bin/lumora", "/opt/../usr/bin/lumora"}) {
    const std::filesystem::path file = runtime.scratch() / "usr.vrmanifest";
    std::ofstream(file) << R"({"applications": [{"app_key": "lumora.corvane", )"
                        << R"("binary_path_linux": ")" << binary << R"("}]})";
    const Outcome outcome = run({argument(file)});
    EXPECT_EQ(outcome.exitStatus, 1) << binary;
    EXPECT_EQ(outcome.lines.back(),
              "[ERROR] SetApplicationAutoLaunch failed: VRApplicationError_UnknownApplication");
    const std::string skipped =
        argument(file) + " - App lumora.corvane binary_path " + binary + " is invalid. Skipping";
    EXPECT_NE(readFile(runtime.logFolder() / "vrserver.txt").find("[Info] - " + skipped + "\n"),
              std::string::npos);
    const Outcome checked = runTool("vrcheck", {argument(file)});
    EXPECT_EQ(checked.exitStatus, 3);
    EXPECT_NE(checked.standardError.find("says it refused this manifest at "), std::string::npos);
    EXPECT_NE(checked.standardError.find(": \"" + skipped + "\" ("), std::string::npos)
        << checked.standardError;
  }
}

// A utility connection starts the runtime, which loads its records: a listed
// manifest it cannot read is dropped, and a list it cannot parse is reset,
// losing every registration in it.
TEST_P(VrenlistTest, StartingTheRuntimeDropsWhatItCannotRead) {
  const std::string path = manifest("app.vrmanifest");
  const std::string kept = manifest("kept.vrmanifest", "kept.app");
  runtime.setRegistry({{"manifests", {{kept, {}}, {argument(runtime.scratch() / "gone"), {}}}}});
  ASSERT_EQ(run({path}).exitStatus, 0);
  EXPECT_TRUE(runtime.running());
  EXPECT_EQ(runtime.registry()["manifests"],
            nlohmann::json({{kept, {"kept.app"}}, {path, {"lumora.corvane"}}}));
  // Its log says so, line by line in its own format (the records list their paths sorted).
  const std::string gone = argument(runtime.scratch() / "gone");
  EXPECT_EQ(logMessagesIn(runtime.logFolder(), platform()),
            (std::vector<std::string>{
                "Adding application manifest path: " + gone,
                gone + " - Unable to read manifest. Removing that file for the next startup",
                "Adding application manifest path: " + kept,
                "Adding application manifest path: " + path}));

  runtime.setRunning(false);
  const std::filesystem::path list = runtime.configFolder() / "appconfig.json";
  const std::string withByteOrderMark = "\xEF\xBB\xBF" + readFile(list);
  std::ofstream(list, std::ios::binary) << withByteOrderMark;
  ASSERT_EQ(run({manifest("new.vrmanifest", "new.app")}).exitStatus, 1);  // no lumora.corvane
  EXPECT_TRUE(std::filesystem::exists(runtime.logFolder() / "vrserver.previous.txt"));
  EXPECT_EQ(logMessagesIn(runtime.logFolder(), platform()),
            (std::vector<std::string>{"Adding application manifest path: " +
                                      argument(runtime.scratch() / "new.vrmanifest")}));
  EXPECT_EQ(runtime.registry()["manifests"],
            nlohmann::json({{argument(runtime.scratch() / "new.vrmanifest"), {"new.app"}}}));

  // A connection that changes nothing itself starts it all the same: a gone
  // manifest is dropped, and a list it cannot parse is written anew.
  const std::string goneText = nlohmann::json(argument(runtime.scratch() / "gone")).dump();
  for (const std::string& text :
       {R"({"manifest_paths": [)" + goneText + "]}", std::string(R"({"manifest_paths": [],})")}) {
    runtime.setRunning(false);
    std::ofstream(list, std::ios::binary | std::ios::trunc) << text;
    ASSERT_EQ(runTool("vrdelist", {argument(runtime.scratch() / "other.vrmanifest")}).exitStatus,
              0);
    EXPECT_TRUE(runtime.running());
    EXPECT_EQ(nlohmann::json::parse(readFile(list), nullptr, false),
              nlohmann::json({{"manifest_paths", nlohmann::json::array()}}))
        << text;
  }
}

// An app's options keep what the runtime keeps besides the flag.
TEST_P(VrenlistTest, SwitchingAutoLaunchKeepsTheLastLaunchTime) {
  const std::string path = manifest("app.vrmanifest");
  const std::filesystem::path options =
      runtime.configFolder() / "vrappconfig" / "lumora.corvane.vrappconfig";
  runtime.setRegistry(
      {{"manifests", {{path, {"lumora.corvane"}}}}, {"autoLaunch", {{"lumora.corvane", false}}}});
  std::ofstream(options) << R"({"autolaunch": false, "last_launch_time": "1700000000"})";
  ASSERT_EQ(run({path}).exitStatus, 0);
  EXPECT_EQ(nlohmann::json::parse(readFile(options)),
            nlohmann::json({{"autolaunch", true}, {"last_launch_time", "1700000000"}}));
}

// Records no runtime can read are reset when it starts, however hostile:
// it neither crashes on nesting nor waits for ever on a pipe or a device.
TEST_P(VrenlistTest, StartingTheRuntimeSurvivesHostileRecords) {
  const std::string path = manifest("app.vrmanifest");
  const std::filesystem::path list = runtime.configFolder() / "appconfig.json";
  const std::filesystem::path options =
      runtime.configFolder() / "vrappconfig" / "lumora.corvane.vrappconfig";
  const std::string deep = std::string(400000, '[') + std::string(400000, ']');
  for (const std::string& hostile :
       {std::string("deep"), std::string("pipe"), std::string("zero")}) {
    SCOPED_TRACE(hostile);
    // Wine shows no Windows program a pipe or a device.
    if (hostile != "deep" && platform() == Platform::Windows) continue;
    runtime.setRunning(false);
    runtime.setRegistry(nlohmann::json::object());
    for (const std::filesystem::path& file : {list, options}) {
      std::filesystem::remove(file);
      if (hostile == "deep") std::ofstream(file) << deep;
      if (hostile == "pipe") {
        ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
      }
      if (hostile == "zero") std::filesystem::create_symlink("/dev/zero", file);
    }
    EXPECT_EQ(run({path}).exitStatus, 0);
    EXPECT_EQ(runtime.registry()["manifests"], nlohmann::json({{path, {"lumora.corvane"}}}));
    EXPECT_EQ(runtime.registry()["autoLaunch"]["lumora.corvane"], true);
  }
}

// One manifest per app key: a registration left in another folder wins.
TEST_P(VrenlistTest, AnotherPathForTheSameKeyIsRefused) {
  const std::string old = manifest("old.vrmanifest");
  ASSERT_EQ(run({old}).exitStatus, 0);
  const std::string storeBefore = runtime.registryBytes();
  const Outcome outcome = run({manifest("new.vrmanifest")});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{
                "[ERROR] AddApplicationManifest failed: VRApplicationError_AppKeyAlreadyExists"});
  EXPECT_EQ(runtime.registryBytes(), storeBefore);
  EXPECT_EQ(run({old}).exitStatus, 0);  // the same path again is no conflict
}

// The runtime reads what it expects with the type it expects; a value of
// another type, in a manifest or its own store, counts as not set.
TEST_P(VrenlistTest, ValuesOfAnotherTypeAreNotSet) {
  runtime.setRegistry({{"manifests", {{"/gone.vrmanifest", 5}}}, {"autoLaunch", {{"x", "yes"}}}});
  for (const char* overlay : {R"("yes")", "1", "null", "[true]"}) {
    SCOPED_TRACE(overlay);
    const std::filesystem::path file = runtime.scratch() / "overlay.vrmanifest";
    std::ofstream(file) << R"({"applications": [{"app_key": "lumora.corvane", )"
                        << R"("is_dashboard_overlay": )" << overlay << "}]}";
    EXPECT_EQ(run({argument(file)}).exitStatus, 0);
  }
}

TEST_P(VrenlistTest, MissingApplicationsInterfaceIsReportedNotDereferenced) {
  runtime.setFaults({{"applicationsUnavailable", true}});
  const Outcome outcome = run({"/opt/app/app.vrmanifest"});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines, std::vector<std::string>{
                               "[ERROR] Applications interface unavailable: IVRApplications_007"});
  EXPECT_EQ(runtime.calls(), (Calls{kInit, kCleanup}));
}

TEST_P(VrenlistTest, MissingErrorNameGetsAPlaceholder) {
  runtime.setFaults({{"addApplicationManifestError", 299}});  // no such enumerator
  const Outcome outcome = run({"/opt/app/app.vrmanifest"});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{
                "[ERROR] AddApplicationManifest failed: (no text from the runtime)"});
}

TEST_P(VrenlistTest, PathReachesTheRuntimeUnchanged) {
  std::filesystem::path deep;
  for (int i = 0; i < 12; ++i) deep /= std::string(250, static_cast<char>('a' + i));
  std::filesystem::create_directories(runtime.scratch() / deep);
  const std::vector<std::string> registrable = {
      manifest("with spaces.vrmanifest"),
      manifest("ünïcødé ✓ マニフェスト 日本 🎮.vrmanifest"),  // Latin, CJK, beyond the BMP
      manifest(deep / "app.vrmanifest"),
  };
  ASSERT_GT(registrable.back().size(), 3000u);
  for (const std::string& path : registrable) {
    const Outcome outcome = run({path});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.standardError;
    ASSERT_FALSE(outcome.lines.empty());
    EXPECT_EQ(outcome.lines[0], "[INFO] Registered manifest: " + path);
    EXPECT_EQ(lastRegistration(), addManifest(path));
    EXPECT_TRUE(runtime.registry()["manifests"].contains(path));
    runTool("vrdelist", {path});  // the key is free again for the next path
  }

  // Passed on all the same, whatever the runtime makes of them: empty, not
  // absolute, and double quotes (which no Windows file name holds).
  for (const std::string& path :
       {std::string(""), std::string("relative/app.vrmanifest"),
        argument(runtime.scratch() / "\"quoted\" \\\"twice\\\".vrmanifest")}) {
    run({path});
    EXPECT_EQ(lastRegistration(), addManifest(path));
  }
}

// Zones off the whole hour, either side of UTC, written in the one form
// that glibc and the Windows C runtime (which Wine hands TZ to) both read:
// a name, then the hours west of UTC.
TEST_P(VrenlistTest, StampsLinesWithTheLocalTimeOfDay) {
  const std::string path = manifest("app.vrmanifest");
  const struct {
    const char* zone;
    int minutesEastOfUtc;
  } zones[] = {{"NPT-5:45", 5 * 60 + 45}, {"MQT9:30", -(9 * 60 + 30)}};
  for (const auto& [zone, offset] : zones) {
    environment["TZ"] = zone;
    const auto before = std::chrono::system_clock::now();
    const Outcome outcome = run({path});
    const auto after = std::chrono::system_clock::now();
    ASSERT_EQ(outcome.lines.size(), 2u) << outcome.standardError;
    for (const std::string& line : splitLines(outcome.standardError)) {
      EXPECT_TRUE(betweenTimesOfDay(stampedMillisecondsOfDay(line),
                                    millisecondsOfDay(before, offset),
                                    millisecondsOfDay(after, offset)))
          << zone << ": " << line;
    }
  }
}

VRENLIST_INSTANTIATE_FOR_EVERY_PLATFORM(VrenlistTest);

}  // namespace
}  // namespace corvane::testing
