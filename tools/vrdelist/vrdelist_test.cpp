// vrdelist as an installer meets it at uninstall: a process, its standard
// error and its exit status, on every road the runtime's answers can send
// it down, for the Linux build and for the Windows build under Wine.
#include "tool_test_fixture.h"

namespace corvane::testing {
namespace {

const std::string kVrdelistUsage = "usage: vrdelist <absolute-path-to.vrmanifest>\n";

// What the store holds once the manifest is gone and auto-launch is off.
std::string storeWithoutManifests() { return storedRecords({}, {{"lumora.corvane", false}}); }

class VrdelistRoadsTest : public VrdelistTest {
 protected:
  // Registers a manifest with vrenlist, as an install would; returns the
  // argument naming it, and forgets the calls so far.
  std::string registered(const std::filesystem::path& name,
                         const std::string& appKey = "lumora.corvane") {
    const std::string path = manifest(name, appKey);
    EXPECT_NE(runTool("vrenlist", {path}).exitStatus, 2);
    runtime.clearJournal();
    return path;
  }
};

TEST_P(VrdelistRoadsTest, WrongArgumentCountPrintsOnlyTheUsage) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{}, {"/a.vrmanifest", "/b.vrmanifest"}}) {
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.exitStatus, 2);
    EXPECT_EQ(outcome.standardError, kVrdelistUsage);
  }
  EXPECT_EQ(runtime.journal(), Calls{});
}

TEST_P(VrdelistRoadsTest, UndoesARegistration) {
  const std::string path = registered("app.vrmanifest");
  const Outcome outcome = run({path});

  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(outcome.lines,
            (std::vector<std::string>{"[INFO] Auto-launch disabled for app key: lumora.corvane",
                                      "[INFO] Removed manifest: " + path}));
  EXPECT_EQ(splitLines(outcome.standardError).size(), 2u) << outcome.standardError;
  // Auto-launch first, while the manifest still declares the key.
  EXPECT_EQ(runtime.calls(), (Calls{kInit, kAutoLaunchOff, removeManifest(path), kCleanup}));
  EXPECT_EQ(runtime.registryBytes(), storeWithoutManifests());
}

TEST_P(VrdelistRoadsTest, SecondRunIsSafeAndChangesNothing) {
  const std::string path = registered("app.vrmanifest");
  ASSERT_EQ(run({path}).exitStatus, 0);
  const Outcome again = run({path});
  EXPECT_EQ(again.exitStatus, 0);
  EXPECT_EQ(again.lines,
            (std::vector<std::string>{"[INFO] App key not registered, auto-launch already off: "
                                      "lumora.corvane",
                                      "[INFO] Removed manifest: " + path}));
  EXPECT_EQ(runtime.registryBytes(), storeWithoutManifests());
}

TEST_P(VrdelistRoadsTest, UnknownKeyStillRemovesTheManifest) {
  // A manifest declaring some other key: the runtime knows no lumora.corvane.
  const std::string path = registered("other.vrmanifest", "other.app");
  const Outcome outcome = run({path});
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(outcome.lines,
            (std::vector<std::string>{"[INFO] App key not registered, auto-launch already off: "
                                      "lumora.corvane",
                                      "[INFO] Removed manifest: " + path}));
  EXPECT_EQ(runtime.calls(), (Calls{kInit, kAutoLaunchOff, removeManifest(path), kCleanup}));
  EXPECT_EQ(runtime.registry()["manifests"], nlohmann::json::object());
}

TEST_P(VrdelistRoadsTest, RefusedAutoLaunchKeepsTheManifest) {
  const std::string path = registered("app.vrmanifest");
  runtime.setFaults({{"setApplicationAutoLaunchError", 105}});
  const Outcome outcome = run({path});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{
                "[ERROR] SetApplicationAutoLaunch failed: VRApplicationError_IPCFailed"});
  EXPECT_EQ(runtime.calls(), (Calls{kInit, kAutoLaunchOff, errorName(105), kCleanup}));
  EXPECT_EQ(runtime.registry()["manifests"][path], nlohmann::json({"lumora.corvane"}));
  EXPECT_EQ(runtime.registry()["autoLaunch"]["lumora.corvane"], true);
}

TEST_P(VrdelistRoadsTest, RefusedRemovalIsAFailure) {
  const std::string path = registered("app.vrmanifest");
  runtime.setFaults({{"removeApplicationManifestError", 105}});
  const Outcome outcome = run({path});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            (std::vector<std::string>{
                "[INFO] Auto-launch disabled for app key: lumora.corvane",
                "[ERROR] RemoveApplicationManifest failed: VRApplicationError_IPCFailed"}));
  EXPECT_EQ(runtime.calls(),
            (Calls{kInit, kAutoLaunchOff, removeManifest(path), errorName(105), kCleanup}));
  EXPECT_TRUE(runtime.registry()["manifests"].contains(path));
}

TEST_P(VrdelistRoadsTest, RuntimeFailuresGiveOneErrorLine) {
  runtime.setFaults({{"initError", 108}});
  Outcome outcome = run({"/opt/app/app.vrmanifest"});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{"[ERROR] VR_Init(Utility) failed: Hmd Not Found (108)"});
  EXPECT_EQ(runtime.calls(), Calls{kInit});  // never shut down

  runtime.clearJournal();
  runtime.setFaults({{"applicationsUnavailable", true}});
  outcome = run({"/opt/app/app.vrmanifest"});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines, std::vector<std::string>{
                               "[ERROR] Applications interface unavailable: IVRApplications_007"});
  EXPECT_EQ(runtime.calls(), (Calls{kInit, kCleanup}));

  runtime.clearJournal();
  runtime.unregister();
  outcome = run({"/opt/app/app.vrmanifest"});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.lines, std::vector<std::string>{"[ERROR] VR_Init(Utility) failed: "
                                                    "Installation path could not be located (110)"})
      << outcome.standardError;
  EXPECT_EQ(runtime.journal(), Calls{});
}

TEST_P(VrdelistRoadsTest, PathReachesTheRuntimeUnchanged) {
  std::filesystem::path deep;
  for (int i = 0; i < 12; ++i) deep /= std::string(250, static_cast<char>('a' + i));
  std::filesystem::create_directories(runtime.scratch() / deep);
  for (const std::filesystem::path& name :
       {std::filesystem::path("ünïcødé ✓ 日本 🎮.vrmanifest"), deep / "app.vrmanifest"}) {
    const std::string path = registered(name);
    const Outcome outcome = run({path});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.standardError;
    ASSERT_EQ(outcome.lines.size(), 2u);
    EXPECT_EQ(outcome.lines[1], "[INFO] Removed manifest: " + path);
    EXPECT_EQ(runtime.calls().at(2), removeManifest(path));
    EXPECT_FALSE(runtime.registry()["manifests"].contains(path));
  }
}

VRENLIST_INSTANTIATE_FOR_EVERY_PLATFORM(VrdelistRoadsTest);

}  // namespace
}  // namespace corvane::testing
