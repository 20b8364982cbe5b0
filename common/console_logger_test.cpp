#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "logger.h"
#include "time_of_day.h"

namespace corvane::common {
namespace {

std::tm timeOfDay(int hour, int minute, int second) {
  std::tm t{};
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(FormatConsoleLineTest, ZeroPadsEveryTimeField) {
  EXPECT_EQ(formatConsoleLine(timeOfDay(9, 5, 3), 7, LogLevel::Info, "hello"),
            "[09:05:03.007] [INFO] hello\n");
  EXPECT_EQ(formatConsoleLine(timeOfDay(0, 0, 0), 0, LogLevel::Warn, "x"),
            "[00:00:00.000] [WARN] x\n");
  EXPECT_EQ(formatConsoleLine(timeOfDay(23, 59, 60), 999, LogLevel::Fatal, "x"),
            "[23:59:60.999] [FATAL] x\n");
  EXPECT_EQ(formatConsoleLine(timeOfDay(14, 2, 9), 41, LogLevel::Info,
                              "Registered manifest: /opt/app/app.vrmanifest"),
            "[14:02:09.041] [INFO] Registered manifest: /opt/app/app.vrmanifest\n");
}

TEST(FormatConsoleLineTest, WritesTheMessageUnchanged) {
  const std::tm t = timeOfDay(12, 30, 45);
  EXPECT_EQ(formatConsoleLine(t, 120, LogLevel::Error, ""), "[12:30:45.120] [ERROR] \n");
  EXPECT_EQ(formatConsoleLine(t, 120, LogLevel::Debug, "a\nb\n"),
            "[12:30:45.120] [DEBUG] a\nb\n\n");
  EXPECT_EQ(formatConsoleLine(t, 120, static_cast<LogLevel>(42), std::string_view("nul\0byte", 8)),
            std::string("[12:30:45.120] [UNKNOWN] nul\0byte\n", 34));
}

// Points std::cerr at a string for the duration of a test.
class ConsoleLoggerTest : public ::testing::Test {
 protected:
  void SetUp() override { saved = std::cerr.rdbuf(captured.rdbuf()); }
  void TearDown() override { std::cerr.rdbuf(saved); }

  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::istringstream in(captured.str());
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  }

  std::ostringstream captured;
  std::streambuf* saved = nullptr;
  ConsoleLogger logger;
};

const std::regex kLinePattern(R"(\[([01]\d|2[0-3]):[0-5]\d:[0-6]\d\.\d{3}\] \[([A-Z]+)\] (.*))");

TEST_F(ConsoleLoggerTest, DefaultThresholdDropsTraceAndDebug) {
  EXPECT_EQ(logger.getLevel(), LogLevel::Info);
  for (int level = 0; level <= 5; ++level) logger.log(static_cast<LogLevel>(level), "m");
  logger.log(static_cast<LogLevel>(6), "above");
  logger.log(static_cast<LogLevel>(-1), "below");

  const std::vector<std::string> written = lines();
  ASSERT_EQ(written.size(), 5u) << captured.str();
  const char* expectedNames[] = {"INFO", "WARN", "ERROR", "FATAL", "UNKNOWN"};
  for (std::size_t i = 0; i < written.size(); ++i) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(written[i], match, kLinePattern)) << written[i];
    EXPECT_EQ(match[2], expectedNames[i]);
  }
  EXPECT_EQ(std::cerr.fill(), '0');
}

TEST_F(ConsoleLoggerTest, WritesAtTheThresholdAndDropsBelowIt) {
  logger.setLevel(LogLevel::Error);
  EXPECT_EQ(logger.getLevel(), LogLevel::Error);
  logger.log(LogLevel::Warn, "below");
  EXPECT_EQ(captured.str(), "");
  logger.log(LogLevel::Error, "equal");
  EXPECT_EQ(lines().size(), 1u);

  logger.setLevel(static_cast<LogLevel>(-5));
  logger.log(static_cast<LogLevel>(-6), "below negative");
  logger.log(static_cast<LogLevel>(-5), "negative");
  const std::vector<std::string> written = lines();
  ASSERT_EQ(written.size(), 2u);
  EXPECT_NE(written[1].find("] [UNKNOWN] negative"), std::string::npos) << written[1];
}

TEST_F(ConsoleLoggerTest, WritesMessagesOfAnyLengthWhole) {
  const std::string longMessage(5000, 'x');
  logger.log(LogLevel::Info, longMessage);
  logger.log(LogLevel::Info, std::string_view());
  const std::vector<std::string> written = lines();
  ASSERT_EQ(written.size(), 2u);
  std::smatch match;
  ASSERT_TRUE(std::regex_match(written[0], match, kLinePattern));
  EXPECT_EQ(match[3], longMessage);
  ASSERT_TRUE(std::regex_match(written[1], match, kLinePattern));
  EXPECT_EQ(match[3], "");
}

TEST_F(ConsoleLoggerTest, ProcessLoggerWritesComposedMessages) {
  const std::shared_ptr<ILogger> original = getLogger();
  setLogger(std::make_shared<ConsoleLogger>());
  logInfo("Registered manifest: ", "/opt/app/app.vrmanifest");
  logDebug("dropped");
  setLogger(original);

  const std::vector<std::string> written = lines();
  ASSERT_EQ(written.size(), 1u);
  std::smatch match;
  ASSERT_TRUE(std::regex_match(written[0], match, kLinePattern)) << written[0];
  EXPECT_EQ(match[3], "Registered manifest: /opt/app/app.vrmanifest");
}

// Sets TZ for the scope of a test, and makes the C library read it again.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* current = std::getenv("TZ")) saved_ = current;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

// Zones far from UTC and off the whole hour, where UTC, a wrong offset or a
// millisecond count of the wrong unit cannot pass for the local time.
TEST_F(ConsoleLoggerTest, StampsTheLocalTimeOfDayToTheMillisecond) {
  const struct {
    const char* zone;
    int minutesEastOfUtc;
  } zones[] = {{"Asia/Kathmandu", 5 * 60 + 45}, {"<-0930>9:30", -(9 * 60 + 30)}};
  for (const auto& [zone, offset] : zones) {
    const ScopedTimeZone timeZone(zone);
    captured.str("");
    const auto before = std::chrono::system_clock::now();
    logger.log(LogLevel::Info, "now");
    const auto after = std::chrono::system_clock::now();
    const long long stamped = testing::stampedMillisecondsOfDay(captured.str());
    EXPECT_TRUE(testing::betweenTimesOfDay(stamped, testing::millisecondsOfDay(before, offset),
                                           testing::millisecondsOfDay(after, offset)))
        << zone << ": " << captured.str();
  }
}

// A stream that buffers (std::cerr without unitbuf, onto a file) must still
// hold each line in the file by the time log() returns.
TEST(ConsoleLoggerFlushTest, LineIsInTheFileWhenLogReturns) {
  char path[] = "/tmp/console-logger-flush-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  std::filebuf file;
  ASSERT_TRUE(file.open(path, std::ios::out | std::ios::trunc));
  std::streambuf* const saved = std::cerr.rdbuf(&file);
  const std::ios_base::fmtflags savedFlags = std::cerr.flags();
  std::cerr.unsetf(std::ios_base::unitbuf);

  ConsoleLogger().log(LogLevel::Warn, "flushed at once");
  std::ifstream in(path, std::ios::binary);
  const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

  std::cerr.flags(savedFlags);
  std::cerr.rdbuf(saved);
  unlink(path);
  EXPECT_NE(written.find("] [WARN] flushed at once\n"), std::string::npos) << written;
}

}  // namespace
}  // namespace corvane::common
