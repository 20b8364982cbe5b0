// Windows only: what a user types is UTF-16 text, which must reach the
// runtime as UTF-8, and a console must show the log line as typed.
#include <regex>

#include "temp_dir.h"
#include "tool_test_fixture.h"

namespace corvane::testing {
namespace {

// A per-user install's manifest, in a user folder named outside ASCII.
const std::string kTypedPath = "C:\\Users\\José\\日本\\app.vrmanifest";

class WindowsPathsTest : public VrenlistTest {
 protected:
  // Puts a manifest at kTypedPath inside the Wine prefix.
  void installTypedManifest() const {
    const std::filesystem::path folder = winePrefix() / "drive_c/users/José/日本";
    std::filesystem::create_directories(folder);
    runtime.writeManifest(folder / "app.vrmanifest", "lumora.corvane");
  }
};

// 'text' for a POSIX shell.
std::string shellQuoted(const std::string& text) {
  return "'" + std::regex_replace(text, std::regex("'"), "'\\''") + "'";
}

// What a terminal shows of a console's output: Wine draws blanks as cursor
// moves (ESC[nC); other control sequences and carriage returns show nothing.
std::string shownOnTerminal(const std::string& output) {
  static const std::regex kControl("\x1b\\[([0-9;?]*)([A-Za-z])|\r");
  std::string shown;
  auto last = output.cbegin();
  for (std::sregex_iterator it(output.begin(), output.end(), kControl), end; it != end; ++it) {
    shown.append(last, (*it)[0].first);
    if ((*it)[2] == "C") shown.append((*it)[1].length() ? std::stoul((*it)[1]) : 1, ' ');
    last = (*it)[0].second;
  }
  return shown.append(last, output.cend());
}

TEST_P(WindowsPathsTest, TypedPathReachesTheRuntimeAsUtf8) {
  installTypedManifest();
  const Outcome outcome = run({kTypedPath});
  EXPECT_EQ(outcome.exitStatus, 0) << outcome.standardError;
  EXPECT_EQ(runtime.calls(), (Calls{kInit, addManifest(kTypedPath), kAutoLaunch, kCleanup}));
  EXPECT_NE(runtime.journalBytes().find(standin::quoteArgument(kTypedPath.c_str())),
            std::string::npos);
  EXPECT_TRUE(runtime.registry()["manifests"].contains(kTypedPath));
  // Redirected, standard error holds the UTF-8 line, with Windows' line end.
  EXPECT_NE(outcome.rawStandardError.find("] [INFO] Registered manifest: " + kTypedPath + "\r\n"),
            std::string::npos)
      << outcome.rawStandardError;
}

TEST_P(WindowsPathsTest, VrdelistRemovesTheTypedPath) {
  installTypedManifest();
  ASSERT_EQ(run({kTypedPath}).exitStatus, 0);
  const Outcome outcome = runTool("vrdelist", {kTypedPath});
  EXPECT_EQ(outcome.exitStatus, 0) << outcome.standardError;
  EXPECT_EQ(runtime.calls().back(), kCleanup);
  EXPECT_EQ(runtime.calls().rbegin()[1], removeManifest(kTypedPath));
  EXPECT_EQ(runtime.registry()["manifests"], nlohmann::json::object());
  EXPECT_NE(outcome.rawStandardError.find("] [INFO] Removed manifest: " + kTypedPath + "\r\n"),
            std::string::npos)
      << outcome.rawStandardError;
}

TEST_P(WindowsPathsTest, ConsoleShowsThePathAsTyped) {
  installTypedManifest();
  // script(1) runs the tool on a pseudo-terminal, for which Wine makes a
  // console, and records what the terminal is sent.
  const std::filesystem::path typescript = runtime.scratch() / "typescript";
  std::string command;
  for (const std::string& word : toolCommand(platform(), "vrenlist", {kTypedPath})) {
    command += shellQuoted(word) + " ";
  }
  const ProcessResult result = runProcess({"/usr/bin/script", "-qec", command, typescript});
  EXPECT_EQ(result.exitStatus, 0) << result.standardError;

  const std::string shown = shownOnTerminal(readFile(typescript));
  EXPECT_TRUE(std::regex_search(
      shown, std::regex(R"(\n\[\d{2}:\d{2}:\d{2}\.\d{3}\] \[INFO\] Registered manifest: )" +
                        std::regex_replace(kTypedPath, std::regex(R"(\\)"), R"(\\)") + "\n")))
      << shown;
}

VRENLIST_INSTANTIATE_FOR_WINDOWS(WindowsPathsTest);

}  // namespace
}  // namespace corvane::testing
