// The tool as a user meets it: a process, its standard error and its exit
// status, on every road the runtime's answers can send it down.
#include "vrenlist_test_fixture.h"

namespace corvane::testing {
namespace {

TEST_F(VrenlistTest, WrongArgumentCountPrintsOnlyTheUsage) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {}, {"/a.vrmanifest", "/b.vrmanifest"}, {"a", "b", "c"}}) {
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.exitStatus, 2);
    EXPECT_EQ(outcome.standardError, kUsage);
  }
  EXPECT_EQ(runtime.journal(), Calls{});
}

TEST(VrenlistWithoutRuntimeTest, UnreachableRuntimeGivesOneErrorLine) {
  const TempDir home;  // no runtime registered here
  ProcessOptions options;
  options.environment = {{"HOME", home.path().string()},
                         {"XDG_CONFIG_HOME", (home.path() / "config").string()}};
  const ProcessResult result = runProcess({VRENLIST_PATH, "/tmp/x.vrmanifest"}, options);
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(toolLines(result.standardError),
            std::vector<std::string>{"[ERROR] VR_Init(Utility) failed: Installation path "
                                     "could not be located (110)"})
      << result.standardError;
}

TEST_F(VrenlistTest, RegistersPermanentlyAndEnablesAutoLaunch) {
  const std::string manifest = runtime.writeManifest("app.vrmanifest", "lumora.corvane").string();
  const Outcome outcome = run({manifest});

  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(outcome.lines,
            (std::vector<std::string>{"[INFO] Registered manifest: " + manifest,
                                      "[INFO] Auto-launch enabled for app key: lumora.corvane"}));
  EXPECT_EQ(splitLines(outcome.standardError).size(), 2u) << outcome.standardError;
  EXPECT_EQ(runtime.calls(), (Calls{kInit, addManifest(manifest), kAutoLaunch, kCleanup}));
  const nlohmann::json registry = runtime.registry();
  EXPECT_EQ(registry["manifests"][manifest], nlohmann::json({"lumora.corvane"}));
  EXPECT_EQ(registry["autoLaunch"]["lumora.corvane"], true);
}

TEST_F(VrenlistTest, SecondRunRepeatsBothCalls) {
  const std::string manifest = runtime.writeManifest("app.vrmanifest", "lumora.corvane").string();
  EXPECT_EQ(run({manifest}).exitStatus, 0);
  EXPECT_EQ(run({manifest}).exitStatus, 0);
  const Calls once{kInit, addManifest(manifest), kAutoLaunch, kCleanup};
  Calls twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(runtime.calls(), twice);
}

TEST_F(VrenlistTest, FailedInitialisationReportsTheDescriptionAndNeverShutsDown) {
  runtime.setFaults({{"initError", 108}});
  const Outcome outcome = run({"/opt/app/app.vrmanifest"});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{"[ERROR] VR_Init(Utility) failed: Hmd Not Found (108)"});
  EXPECT_EQ(runtime.calls(), Calls{kInit});
}

TEST_F(VrenlistTest, RefusedRegistrationSkipsAutoLaunch) {
  const std::string manifest = runtime.writeManifest("app.vrmanifest", "lumora.corvane").string();
  runtime.setFaults({{"addApplicationManifestError", 105}});
  const Outcome outcome = run({manifest});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{
                "[ERROR] AddApplicationManifest failed: VRApplicationError_IPCFailed"});
  EXPECT_EQ(
      runtime.calls(),
      (Calls{
          kInit, addManifest(manifest), {"GetApplicationsErrorNameFromEnum", {"105"}}, kCleanup}));
  EXPECT_FALSE(runtime.registry().contains("manifests"));
}

TEST_F(VrenlistTest, MissingManifestIsTheRuntimesToRefuse) {
  const std::string missing = (runtime.scratch() / "missing.vrmanifest").string();
  const Outcome outcome = run({missing});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{
                "[ERROR] AddApplicationManifest failed: VRApplicationError_InvalidManifest"});
}

TEST_F(VrenlistTest, RefusedAutoLaunchKeepsTheRegistration) {
  const std::string manifest = runtime.writeManifest("other.vrmanifest", "other.app").string();
  const Outcome outcome = run({manifest});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            (std::vector<std::string>{
                "[INFO] Registered manifest: " + manifest,
                "[ERROR] SetApplicationAutoLaunch failed: VRApplicationError_UnknownApplication"}));
  EXPECT_EQ(runtime.calls(), (Calls{kInit,
                                    addManifest(manifest),
                                    kAutoLaunch,
                                    {"GetApplicationsErrorNameFromEnum", {"104"}},
                                    kCleanup}));
  EXPECT_EQ(runtime.registry()["manifests"][manifest], nlohmann::json({"other.app"}));
  EXPECT_FALSE(runtime.registry()["autoLaunch"].contains("lumora.corvane"));
}

TEST_F(VrenlistTest, MissingApplicationsInterfaceIsReportedNotDereferenced) {
  runtime.setFaults({{"applicationsUnavailable", true}});
  const Outcome outcome = run({"/opt/app/app.vrmanifest"});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines, std::vector<std::string>{
                               "[ERROR] Applications interface unavailable: IVRApplications_007"});
  EXPECT_EQ(runtime.calls(), (Calls{kInit, kCleanup}));
}

TEST_F(VrenlistTest, MissingErrorNameGetsAPlaceholder) {
  runtime.setFaults({{"addApplicationManifestError", 299}});  // no such enumerator
  const Outcome outcome = run({"/opt/app/app.vrmanifest"});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{
                "[ERROR] AddApplicationManifest failed: (no text from the runtime)"});
}

TEST_F(VrenlistTest, PathReachesTheRuntimeByteForByte) {
  const std::filesystem::path scratch = runtime.scratch();
  std::filesystem::path deep = scratch;
  for (int i = 0; i < 12; ++i) deep /= std::string(250, static_cast<char>('a' + i));
  std::filesystem::create_directories(deep);
  const std::vector<std::string> registrable = {
      runtime.writeManifest("with spaces and \"quotes\".vrmanifest", "lumora.corvane").string(),
      runtime.writeManifest("ünïcødé ✓ マニフェスト.vrmanifest", "lumora.corvane").string(),
      runtime
          .writeManifest(std::filesystem::relative(deep, scratch) / "app.vrmanifest",
                         "lumora.corvane")
          .string(),
  };
  ASSERT_GT(registrable.back().size(), 3000u);
  for (const std::string& path : registrable) {
    const Outcome outcome = run({path});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.standardError;
    ASSERT_FALSE(outcome.lines.empty());
    EXPECT_EQ(outcome.lines[0], "[INFO] Registered manifest: " + path);
    EXPECT_EQ(lastRegistration(), addManifest(path));
    EXPECT_TRUE(runtime.registry()["manifests"].contains(path));
  }

  // Not absolute, not there: passed on all the same, and refused by the runtime.
  for (const std::string& path : {std::string(""), std::string("relative/app.vrmanifest")}) {
    const Outcome outcome = run({path});
    EXPECT_EQ(outcome.exitStatus, 1);
    EXPECT_EQ(lastRegistration(), addManifest(path));
  }
}

}  // namespace
}  // namespace corvane::testing
