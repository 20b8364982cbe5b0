// Arbitrary bytes as the path: never a crash, and the runtime receives
// exactly what was given; the log line carries it too, but as one line.
#include <random>

#include "tool_test_fixture.h"

namespace corvane::testing {
namespace {

std::string randomPath(std::mt19937& random) {
  static const std::size_t kLengths[] = {1, 2, 17, 255, 4096, 4097, 65536};
  std::uniform_int_distribution<int> pick(0, 9);
  std::uniform_int_distribution<int> byte(1, 255);  // argv cannot carry NUL
  const std::size_t length = pick(random) < 7
                                 ? kLengths[pick(random) % 7]
                                 : std::uniform_int_distribution<std::size_t>(1, 65536)(random);
  std::string path(length, '\0');
  for (char& c : path) c = static_cast<char>(byte(random));
  return path;
}

// Linux only: a Windows argument is UTF-16 text, not bytes (see
// windows_paths_test.cpp).
class HostileArgumentsTest : public VrenlistTest {};

TEST_P(HostileArgumentsTest, RandomBytesReachTheRuntimeUnchanged) {
  std::mt19937 random(20261208);
  std::vector<std::string> paths = {"\n",       "a\nb",     "\r\n", "\x1b[31mred",
                                    "\xff\xfe", "\xc3\x28", "-"};
  while (paths.size() < 300) paths.push_back(randomPath(random));

  runtime.setFaults({{"addApplicationManifestError", 107}});  // no file writes per argument
  std::size_t checked = 0;
  for (const std::string& path : paths) {
    const Outcome outcome = run({path});
    ASSERT_EQ(outcome.exitStatus, 1) << "argument #" << checked;
    ASSERT_EQ(lastRegistration(), addManifest(path)) << "argument #" << checked;
    ++checked;
  }

  // On the success road the log line carries the path with its control
  // characters escaped: a newline in a file name cannot forge a line.
  runtime.setFaults(nlohmann::json::object());
  const std::string oddName = "odd \x01\x7f\xff\n[INFO] Auto-launch enabled.vrmanifest";
  const std::string manifest = runtime.writeManifest(oddName, "lumora.corvane").string();
  const Outcome outcome = run({manifest});
  EXPECT_EQ(outcome.exitStatus, 0);
  const std::string shown = manifest.substr(0, manifest.size() - oddName.size()) +
                            "odd \\x01\\x7F\xff\\x0A[INFO] Auto-launch enabled.vrmanifest";
  EXPECT_EQ(outcome.lines,
            (std::vector<std::string>{"[INFO] Registered manifest: " + shown,
                                      "[INFO] Auto-launch enabled for app key: lumora.corvane"}))
      << outcome.standardError;
  EXPECT_EQ(splitLines(outcome.standardError).size(), 2u);
  EXPECT_EQ(lastRegistration(), addManifest(manifest));
}

VRENLIST_INSTANTIATE_FOR_LINUX(HostileArgumentsTest);

}  // namespace
}  // namespace corvane::testing
