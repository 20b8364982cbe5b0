#include "one_line_logger.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "recording_logger.h"

namespace corvane::common {
namespace {

using testing::RecordingLogger;

TEST(EscapeControlCharactersTest, EscapesEveryLineBreakAndTerminalControl) {
  EXPECT_EQ(escapeControlCharacters(std::string("a\nb\r\n\t\x1B[31m\x7F\0z", 14)),
            "a\\x0Ab\\x0D\\x0A\\x09\\x1B[31m\\x7F\\x00z");
  // NEL and the other C1 controls, and the line and paragraph separators,
  // which some readers also split lines at.
  EXPECT_EQ(escapeControlCharacters("a\xC2\x85"
                                    "b\xC2\x9B"
                                    "c\xE2\x80\xA8"
                                    "d\xE2\x80\xA9"),
            "a\\u0085b\\u009Bc\\u2028d\\u2029");
}

TEST(EscapeControlCharactersTest, LeavesEverythingElseAsItIs) {
  for (const std::string text :
       {"C:\\Users\\José\\日本\\🎮 app.vrmanifest", "\xC2\xA0 \xE2\x80\xA7 \xE2\x80\xAA",
        "\xE9\xFF\xC2", "\xE2\x80", ""}) {
    EXPECT_EQ(escapeControlCharacters(text), text);
  }
}

TEST(OneLineLoggerTest, HandsOnEachMessageAsOneLineAtItsLevel) {
  const auto recorder = std::make_shared<RecordingLogger>();
  OneLineLogger logger(recorder);
  logger.log(LogLevel::Warn, "app key: x\n[INFO] Auto-launch enabled");
  logger.log(LogLevel::Error, "plain");
  ASSERT_EQ(recorder->entries.size(), 2u);
  EXPECT_EQ(
      recorder->entries[0],
      std::make_pair(LogLevel::Warn, std::string("app key: x\\x0A[INFO] Auto-launch enabled")));
  EXPECT_EQ(recorder->entries[1], std::make_pair(LogLevel::Error, std::string("plain")));

  logger.setLevel(LogLevel::Debug);
  EXPECT_EQ(recorder->threshold, LogLevel::Debug);
  EXPECT_EQ(logger.getLevel(), LogLevel::Debug);
}

}  // namespace
}  // namespace corvane::common
