#include "journal_format.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

TEST(JournalFormatTest, EveryByteSurvivesTheRoundTrip) {
  std::string allBytes;
  for (int byte = 1; byte < 256; ++byte) allBytes += static_cast<char>(byte);
  const std::string quoted = quoteArgument(allBytes.c_str());
  EXPECT_EQ(quoted.find(' '), std::string::npos);
  EXPECT_EQ(quoted.find('\n'), std::string::npos);
  EXPECT_EQ(unquoteArgument(quoted), allBytes);
  EXPECT_EQ(quoteArgument(""), "\"\"");
  EXPECT_EQ(quoteArgument(nullptr), "null");
}

TEST(JournalFormatTest, ParsesCallsAndArguments) {
  const std::string line =
      "AddApplicationManifest " + quoteArgument("/a b/\"c\"\\d.vrmanifest") + " false";
  EXPECT_EQ(parseJournalLine(line),
            (JournalEntry{"AddApplicationManifest", {"/a b/\"c\"\\d.vrmanifest", "false"}}));
  EXPECT_EQ(parseJournalLine("Cleanup"), (JournalEntry{"Cleanup", {}}));
  EXPECT_EQ(parseJournalLine("Init 4 null"), (JournalEntry{"Init", {"4", "null"}}));
}

TEST(JournalFormatTest, RejectsMalformedQuotes) {
  EXPECT_EQ(unquoteArgument("plain"), std::nullopt);
  EXPECT_EQ(unquoteArgument("\"bad\\x4\""), std::nullopt);
  EXPECT_EQ(unquoteArgument("\"bad\\y41\""), std::nullopt);
  EXPECT_EQ(unquoteArgument("\"trailing\\\""), std::nullopt);
}

}  // namespace
}  // namespace standin
