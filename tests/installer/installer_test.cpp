// The example installer (examples/installer/lumora.nsi) as its users run
// it: silently, under Wine, with the tools it carries talking to the
// Windows stand-in runtime through the SDK's openvr_api.dll beside them.
// Windows only.
#include <fstream>

#include "temp_dir.h"
#include "tool_test_fixture.h"

namespace corvane::testing {
namespace {

const std::string kInstallerKey = "HKCU\\Software\\Lumora";
const std::string kUninstallEntry =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumora";
// What vrcheck asks before a registration: in the background, so before a
// first one, when nothing has started the runtime, it gets no further.
const JournalEntry kBackgroundInit{"Init", {"3", "null"}};
const Calls kCheckNotRunning = {kBackgroundInit};
const Calls kCheckUnregistered = {
    kBackgroundInit, {"IsApplicationInstalled", {"lumora.corvane"}}, kCleanup};
// Registered from the folder it names, or from another.
const Calls kCheckRegistered = {kBackgroundInit,
                                {"IsApplicationInstalled", {"lumora.corvane"}},
                                {"GetApplicationPropertyString", {"lumora.corvane", "12"}},
                                {"GetApplicationAutoLaunch", {"lumora.corvane"}},
                                kCleanup};

// Text as Windows writes it in UTF-16LE, for finding ASCII in install.log.
std::string utf16le(const std::string& ascii) {
  std::string bytes;
  for (const char c : ascii) bytes.append({c, '\0'});
  return bytes;
}

class InstallerTest : public VrenlistTest {
 protected:
  // Each test starts with Lumora never installed in the prefix.
  void SetUp() override {
    wine("reg", {"delete", kInstallerKey, "/f"});
    wine("reg", {"delete", kUninstallEntry, "/f"});
    std::filesystem::remove_all(defaultFolder());
  }

  static std::filesystem::path defaultFolder() {
    return wineUserProfile() / "AppData/Local/Programs/Lumora";
  }

  static ProcessResult wine(const std::string& program, const std::vector<std::string>& arguments) {
    return runProcess(windowsCommand(program, arguments));
  }

  // Runs an installer silently into folder (its default if empty). /D=
  // must come last and unquoted, spaces and all, so the command line goes
  // through cmd as typed.
  static int install(const std::filesystem::path& folder = {},
                     const std::filesystem::path& installer = windowsInstaller()) {
    std::string commandLine = nativePath(Platform::Windows, installer) + " /S";
    if (!folder.empty()) commandLine += " /D=" + windowsDriveCPath(folder);
    return wine("cmd", {"/c", commandLine}).exitStatus;
  }

  // The uninstaller copies itself to a temporary folder, starts that copy
  // and returns at once: wait until every program in the prefix has ended.
  static void uninstall(const std::filesystem::path& folder) {
    wine(windowsDriveCPath(folder / "uninstall.exe"), {"/S"});
    waitForWindowsPrograms();
  }

  static bool keyExists(const std::string& key) {
    return wine("reg", {"query", key}).exitStatus == 0;
  }

  // Whether a program's embedded application manifest runs it as the user
  // who starts it, asking for no elevation.
  static bool runsAsInvoker(const std::filesystem::path& program) {
    const std::string bytes = readFile(program);
    return bytes.find("<requestedExecutionLevel level=\"asInvoker\"") != std::string::npos &&
           bytes.find("requireAdministrator") == std::string::npos &&
           bytes.find("highestAvailable") == std::string::npos;
  }

  static std::string manifestIn(const std::filesystem::path& folder) {
    return windowsDriveCPath(folder / "lumora.vrmanifest");
  }
};

TEST_P(InstallerTest, RegistersMovesAndUninstalls) {
  // A first install, into the per-user default folder.
  ASSERT_EQ(install(), 0);
  const std::string first = manifestIn(defaultFolder());
  EXPECT_EQ(runtime.calls(),
            (kCheckNotRunning + Calls{kInit, addManifest(first), kAutoLaunch, kCleanup}));
  EXPECT_EQ(runtime.registry()["autoLaunch"]["lumora.corvane"], true);
  for (const char* file : {"vrenlist.exe", "vrdelist.exe", "vrcheck.exe", "openvr_api.dll",
                           "openvr_api.LICENSE.txt", "lumora.vrmanifest", "uninstall.exe"}) {
    EXPECT_TRUE(std::filesystem::exists(defaultFolder() / file)) << file;
  }
  EXPECT_TRUE(keyExists(kInstallerKey));
  EXPECT_TRUE(keyExists(kUninstallEntry));
  EXPECT_TRUE(runsAsInvoker(windowsInstaller()));
  EXPECT_TRUE(runsAsInvoker(defaultFolder() / "uninstall.exe"));

  // Reinstalled into the same folder: the registration stays as it is.
  runtime.clearJournal();
  ASSERT_EQ(install(), 0);
  for (const JournalEntry& call : runtime.calls()) {
    EXPECT_NE(call.call, "RemoveApplicationManifest");
    EXPECT_FALSE(call == kAutoLaunchOff);
  }
  EXPECT_EQ(runtime.registry()["autoLaunch"]["lumora.corvane"], true);

  // Reinstalled into a folder named with spaces and characters outside
  // ASCII: the old registration goes before the new one comes (vrcheck
  // first, which says whether the tools may load the runtime).
  const std::filesystem::path moved = wineUserProfile() / "Programme" / "Lumora José 日本";
  runtime.clearJournal();
  ASSERT_EQ(install(moved), 0);
  const std::string second = manifestIn(moved);
  EXPECT_EQ(runtime.calls(),
            (kCheckRegistered + Calls{kInit, kAutoLaunchOff, removeManifest(first), kCleanup} +
             kCheckUnregistered + Calls{kInit, addManifest(second), kAutoLaunch, kCleanup}));
  EXPECT_EQ(runtime.registry()["manifests"], nlohmann::json({{second, {"lumora.corvane"}}}));
  EXPECT_EQ(runtime.registry()["autoLaunch"]["lumora.corvane"], true);
  EXPECT_FALSE(std::filesystem::exists(defaultFolder()));

  // The uninstaller takes the registration back before deleting anything.
  runtime.clearJournal();
  uninstall(moved);
  EXPECT_EQ(runtime.calls(),
            (kCheckRegistered + Calls{kInit, kAutoLaunchOff, removeManifest(second), kCleanup}));
  EXPECT_EQ(runtime.registry()["manifests"], nlohmann::json::object());
  EXPECT_EQ(runtime.registry()["autoLaunch"]["lumora.corvane"], false);
  EXPECT_FALSE(std::filesystem::exists(moved));
  EXPECT_FALSE(keyExists(kInstallerKey));
  EXPECT_FALSE(keyExists(kUninstallEntry));
}

// A vrenlist.exe that answers 2, or cannot start, means the installer
// itself is wrong: it leaves nothing behind.
TEST_P(InstallerTest, AToolThatMisbehavesAbortsTheInstall) {
  for (const char* tools : {"tools-answering-2", "tools-not-starting"}) {
    EXPECT_NE(install({}, windowsInstaller().parent_path() / tools / "lumora-setup.exe"), 0)
        << tools;
    EXPECT_FALSE(std::filesystem::exists(defaultFolder())) << tools;
    EXPECT_FALSE(keyExists(kInstallerKey)) << tools;
    EXPECT_FALSE(keyExists(kUninstallEntry)) << tools;
  }
}

TEST_P(InstallerTest, TakesBackARegistrationFromAFolderItDoesNotKnow) {
  ASSERT_EQ(install(), 0);
  const std::string first = manifestIn(defaultFolder());
  // Moved by hand: the runtime still has the old path, which holds the key.
  const std::filesystem::path byHand = wineUserProfile() / "Moved by hand";
  std::filesystem::rename(defaultFolder(), byHand);
  const std::filesystem::path fresh = wineUserProfile() / "Programme" / "Lumora José 日本";
  runtime.clearJournal();

  ASSERT_EQ(install(fresh), 0);
  const std::string second = manifestIn(fresh);
  const Calls calls = runtime.calls();
  const Calls takenBackThenRegistered = {kInit,       kAutoLaunchOff, removeManifest(first),
                                         kCleanup,    kInit,          addManifest(second),
                                         kAutoLaunch, kCleanup};
  ASSERT_GE(calls.size(), takenBackThenRegistered.size());
  EXPECT_EQ(Calls(calls.end() - takenBackThenRegistered.size(), calls.end()),
            takenBackThenRegistered);
  EXPECT_EQ(runtime.registry()["manifests"], nlohmann::json({{second, {"lumora.corvane"}}}));
  EXPECT_EQ(runtime.registry()["autoLaunch"]["lumora.corvane"], true);
  uninstall(fresh);
  std::filesystem::remove_all(byHand);
}

// A path longer than the installer's strings is never cut and handed to
// vrdelist: the install goes on, as for any registration it cannot take back.
TEST_P(InstallerTest, NeverTakesBackAPathItHadToCut) {
  // Outside ASCII too, which the log shows as written.
  std::filesystem::path folder = runtime.scratch() / std::filesystem::u8path("Jos\xC3\xA9");
  for (int i = 0; i < 5; ++i) folder /= std::string(240, static_cast<char>('a' + i));
  std::filesystem::create_directories(folder);
  const std::string old =
      argument(runtime.writeManifest(folder / "lumora.vrmanifest", "lumora.corvane"));
  runtime.setRegistry(
      {{"manifests", {{old, {"lumora.corvane"}}}}, {"autoLaunch", {{"lumora.corvane", true}}}});
  ASSERT_EQ(install(), 0);
  for (const JournalEntry& call : runtime.calls())
    EXPECT_NE(call.call, "RemoveApplicationManifest");
  EXPECT_EQ(runtime.registry()["manifests"], nlohmann::json({{old, {"lumora.corvane"}}}));
  const std::string log = readFile(defaultFolder() / "install.log");
  EXPECT_NE(log.find(utf16le("its path is too long to take back here")), std::string::npos);
  EXPECT_NE(log.find(utf16le("[WARN] Registered from another manifest: Z:")), std::string::npos);
  EXPECT_NE(log.find(utf16le("\\Jos") + std::string("\xE9\0\\\0a\0", 6)), std::string::npos);
  uninstall(defaultFolder());
}

// What vrcheck finds once registering has failed, not before: the runtime
// refused, after starting for the attempt.
TEST_P(InstallerTest, ARefusedRegistrationLogsWhatStandsAfterIt) {
  runtime.setFaults({{"addApplicationManifestError", 105}});
  ASSERT_EQ(install(), 0);
  const std::string log = readFile(defaultFolder() / "install.log");
  EXPECT_NE(log.find(utf16le("AddApplicationManifest failed: VRApplicationError_IPCFailed")),
            std::string::npos);
  EXPECT_NE(log.find(utf16le("[WARN] App key not registered with the runtime: lumora.corvane")),
            std::string::npos);
  EXPECT_EQ(log.find(utf16le("Runtime not running")), std::string::npos);
  runtime.setFaults(nlohmann::json::object());
  uninstall(defaultFolder());
}

TEST_P(InstallerTest, WithoutARuntimeTheInstallFinishesWithAWarning) {
  runtime.unregister();
  ASSERT_EQ(install(), 0);
  EXPECT_TRUE(std::filesystem::exists(defaultFolder() / "vrenlist.exe"));
  EXPECT_TRUE(keyExists(kInstallerKey));
  const std::string log = readFile(defaultFolder() / "install.log");
  EXPECT_NE(log.find(utf16le("Warning: Lumora is not registered with the OpenVR runtime: ")),
            std::string::npos);
  EXPECT_NE(log.find(utf16le("VR_Init(Utility) failed: Installation path could not be located")),
            std::string::npos);
  // vrcheck's diagnosis follows the warning.
  EXPECT_GT(log.find(utf16le("] [INFO] Manifest declares app key: lumora.corvane\r\n")),
            log.find(utf16le("Warning: ")));
  // Whole, to its last line, and from this run alone.
  const std::string diagnosis = utf16le("] [INFO] Manifest declares app key: lumora.corvane\r\n");
  EXPECT_EQ(log.find(diagnosis), log.rfind(diagnosis));
  EXPECT_NE(log.find(utf16le("] [ERROR] VR_Init(Background) failed: Installation path could not be "
                             "located (110)\r\n"),
                     log.find(diagnosis)),
            std::string::npos);
  // The first finding not in place says why, in the log as in the message box.
  EXPECT_NE(log.find(utf16le("Why: Binary not found: C:\\users\\")), std::string::npos);

  uninstall(defaultFolder());
  EXPECT_FALSE(std::filesystem::exists(defaultFolder()));
  EXPECT_FALSE(keyExists(kInstallerKey));
}

// A translation layer listed first is never loaded: some answer a tool
// with a message box and an abort. The install completes and says why the
// app is not registered; a reinstall elsewhere and the uninstall, too,
// leave the registration to the runtime.
TEST_P(InstallerTest, WithATranslationLayerFirstItRunsNoToolThatLoadsIt) {
  // The stand-in's library without a server program beside it, so that
  // loading it would show in a journal of its own.
  const std::filesystem::path layer = runtime.scratch() / "layer";
  std::filesystem::create_directories(layer / "bin");
  std::filesystem::copy_file(standinLibrary(Platform::Windows), layer / "bin" / "vrclient_x64.dll");
  const std::string paths = readFile(runtime.pathRegistry());
  nlohmann::json listed = nlohmann::json::parse(paths);
  listed["runtime"].insert(listed["runtime"].begin(), argument(layer));
  std::ofstream(runtime.pathRegistry(), std::ios::binary | std::ios::trunc) << listed.dump();

  ASSERT_EQ(install(), 0);
  EXPECT_FALSE(std::filesystem::exists(layer / "state" / "journal.log")) << "the layer was loaded";
  EXPECT_EQ(runtime.calls(), Calls{});
  EXPECT_TRUE(std::filesystem::exists(defaultFolder() / "vrenlist.exe"));
  EXPECT_TRUE(keyExists(kInstallerKey));
  const std::string log = readFile(defaultFolder() / "install.log");
  EXPECT_NE(log.find(utf16le("Warning: Lumora is not registered with the OpenVR runtime: Runtime "
                             "folder holds a translation layer such as OpenComposite or xrizer: ")),
            std::string::npos);
  EXPECT_NE(log.find(utf16le(", which holds the vendor's runtime, first in ")), std::string::npos);

  // Reinstalled elsewhere, and uninstalled, with the layer still first:
  // neither takes a registration back through it.
  const std::filesystem::path moved = wineUserProfile() / "Elsewhere" / "Lumora";
  ASSERT_EQ(install(moved), 0);
  EXPECT_FALSE(std::filesystem::exists(defaultFolder()));
  EXPECT_NE(readFile(moved / "install.log").find(utf16le("Warning: the registration from ")),
            std::string::npos);
  uninstall(moved);
  EXPECT_FALSE(std::filesystem::exists(moved));
  EXPECT_FALSE(std::filesystem::exists(layer / "state" / "journal.log")) << "the layer was loaded";
  EXPECT_EQ(runtime.calls(), Calls{});
  std::ofstream(runtime.pathRegistry(), std::ios::binary | std::ios::trunc) << paths;
}

VRENLIST_INSTANTIATE_FOR_WINDOWS(InstallerTest);

}  // namespace
}  // namespace corvane::testing
