#include "logger.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "recording_logger.h"

namespace corvane::common {
namespace {

using testing::RecordingLogger;

// Each test installs its own recorder and puts the start-up logger back.
class ProcessLoggerTest : public ::testing::Test {
 protected:
  void SetUp() override { setLogger(recorder); }
  void TearDown() override { setLogger(original); }

  std::shared_ptr<ILogger> original = getLogger();
  std::shared_ptr<RecordingLogger> recorder = std::make_shared<RecordingLogger>();
};

TEST(LogLevelNameTest, NamesTheSixLevelsAndNothingElse) {
  EXPECT_STREQ(logLevelName(LogLevel::Trace), "TRACE");
  EXPECT_STREQ(logLevelName(LogLevel::Debug), "DEBUG");
  EXPECT_STREQ(logLevelName(LogLevel::Info), "INFO");
  EXPECT_STREQ(logLevelName(LogLevel::Warn), "WARN");
  EXPECT_STREQ(logLevelName(LogLevel::Error), "ERROR");
  EXPECT_STREQ(logLevelName(LogLevel::Fatal), "FATAL");
  for (int outside : {6, 100, -1, -100}) {
    EXPECT_STREQ(logLevelName(static_cast<LogLevel>(outside)), "UNKNOWN") << outside;
  }
}

TEST(ProcessLoggerStartupTest, IsAConsoleLoggerAtInfo) {
  const std::shared_ptr<ILogger> logger = getLogger();
  ASSERT_NE(logger, nullptr);
  EXPECT_NE(dynamic_cast<ConsoleLogger*>(logger.get()), nullptr);
  EXPECT_EQ(logger->getLevel(), LogLevel::Info);
}

TEST_F(ProcessLoggerTest, EmptyPointerKeepsTheCurrentLogger) {
  setLogger(nullptr);
  EXPECT_EQ(getLogger(), recorder);
  log(LogLevel::Info, std::string_view("still here"));
  ASSERT_EQ(recorder->entries.size(), 1u);
}

TEST_F(ProcessLoggerTest, ReplacedLoggerGetsNothingMoreAndIsReleased) {
  std::weak_ptr<RecordingLogger> first = recorder;
  auto second = std::make_shared<RecordingLogger>();
  recorder.reset();
  logInfo("to first");
  setLogger(second);

  EXPECT_TRUE(first.expired());
  logInfo("to second");
  ASSERT_EQ(second->entries.size(), 1u);
  EXPECT_EQ(second->entries[0].second, "to second");
}

TEST_F(ProcessLoggerTest, PassesEveryLevelThroughUnfiltered) {
  recorder->threshold = LogLevel::Fatal;
  for (int level : {-3, 0, 1, 5, 6, 100}) log(static_cast<LogLevel>(level), "m");
  ASSERT_EQ(recorder->entries.size(), 6u);
  EXPECT_EQ(recorder->entries[0].first, static_cast<LogLevel>(-3));
  EXPECT_EQ(recorder->entries[5].first, static_cast<LogLevel>(100));
}

TEST_F(ProcessLoggerTest, ComposesPartsWithNothingBetweenOrAfter) {
  logError("AddApplicationManifest failed: ", "VRApplicationError_InvalidManifest");
  logInfo("count: ", 42, ", negative: ", -7, ", char: ", 'x');
  const std::string owned = "owned string";
  std::string movable = "moved";
  logWarn(owned, std::string_view(" view "), std::move(movable));
  logInfo();

  ASSERT_EQ(recorder->entries.size(), 4u);
  EXPECT_EQ(recorder->entries[0],
            std::make_pair(
                LogLevel::Error,
                std::string("AddApplicationManifest failed: VRApplicationError_InvalidManifest")));
  EXPECT_EQ(recorder->entries[1].first, LogLevel::Info);
  EXPECT_EQ(recorder->entries[1].second, "count: 42, negative: -7, char: x");
  EXPECT_EQ(recorder->entries[2],
            std::make_pair(LogLevel::Warn, std::string("owned string view moved")));
  EXPECT_EQ(recorder->entries[3].second, "");
}

TEST_F(ProcessLoggerTest, ShorthandsUseTheirLevels) {
  logTrace("t");
  logDebug("d");
  logFatal("f");
  ASSERT_EQ(recorder->entries.size(), 3u);
  EXPECT_EQ(recorder->entries[0].first, LogLevel::Trace);
  EXPECT_EQ(recorder->entries[1].first, LogLevel::Debug);
  EXPECT_EQ(recorder->entries[2].first, LogLevel::Fatal);
}

}  // namespace
}  // namespace corvane::common
