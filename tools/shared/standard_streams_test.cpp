// Standard error that cannot be written to must not change what a tool
// does: same calls to the runtime, same exit status, no signal death.
#include "tool_test_fixture.h"

namespace corvane::testing {
namespace {

class StandardStreamsTest : public VrenlistTest {};

TEST_P(StandardStreamsTest, UnwritableStandardErrorChangesNothing) {
  const std::string path = manifest("app.vrmanifest");
  const Calls oneRun{kInit, addManifest(path), kAutoLaunch, kCleanup};
  Calls expected;
  for (ErrorStream stream :
       {ErrorStream::Closed, ErrorStream::BrokenPipe, ErrorStream::DeviceFull}) {
    const Outcome outcome = run({path}, stream);  // fails on any signal
    EXPECT_EQ(outcome.exitStatus, 0) << static_cast<int>(stream);
    expected.insert(expected.end(), oneRun.begin(), oneRun.end());
    // Log lines landing in a descriptor the runtime opened would show here.
    EXPECT_EQ(runtime.calls(), expected) << static_cast<int>(stream);
  }
}

TEST_P(StandardStreamsTest, UnwritableStandardErrorKeepsFailureStatus) {
  runtime.setFaults({{"initError", 108}});
  for (ErrorStream stream :
       {ErrorStream::Closed, ErrorStream::BrokenPipe, ErrorStream::DeviceFull}) {
    EXPECT_EQ(run({"/opt/app/app.vrmanifest"}, stream).exitStatus, 1) << static_cast<int>(stream);
  }
  EXPECT_EQ(run({}, ErrorStream::BrokenPipe).exitStatus, 2);
}

TEST_P(StandardStreamsTest, UnwritableStandardErrorChangesNothingForVrdelist) {
  const std::string path = manifest("app.vrmanifest");
  runTool("vrenlist", {path});
  runtime.clearJournal();
  Calls expected;
  for (ErrorStream stream :
       {ErrorStream::Closed, ErrorStream::BrokenPipe, ErrorStream::DeviceFull}) {
    EXPECT_EQ(runTool("vrdelist", {path}, stream).exitStatus, 0) << static_cast<int>(stream);
    expected.insert(expected.end(), {kInit, kAutoLaunchOff, removeManifest(path), kCleanup});
    EXPECT_EQ(runtime.calls(), expected) << static_cast<int>(stream);
  }
  runtime.setFaults({{"removeApplicationManifestError", 105}});
  EXPECT_EQ(runTool("vrdelist", {path}, ErrorStream::BrokenPipe).exitStatus, 1);
}

VRENLIST_INSTANTIATE_FOR_EVERY_PLATFORM(StandardStreamsTest);

}  // namespace
}  // namespace corvane::testing
