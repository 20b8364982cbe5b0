#include "utf16.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>

namespace corvane::common {
namespace {

TEST(Utf16Test, ConvertsEveryPlaneBothWays) {
  // Latin, CJK and a character beyond the Basic Multilingual Plane.
  const std::wstring wide = L"C:\\Users\\Jos\u00e9\\\u65e5\u672c\\\U0001F3AE.vrmanifest";
  const std::string utf8 =
      "C:\\Users\\Jos\xc3\xa9\\\xe6\x97\xa5\xe6\x9c\xac\\\xf0\x9f\x8e\xae.vrmanifest";
  EXPECT_EQ(utf8FromUtf16(wide), utf8);
  EXPECT_EQ(utf16FromUtf8(utf8), wide);
  EXPECT_EQ(utf8FromUtf16(L""), "");
  EXPECT_EQ(utf16FromUtf8(""), L"");
}

TEST(Utf16Test, UnpairedSurrogateHasNoUtf8Form) {
  for (const std::wstring& text : {std::wstring(L"a\xd800"), std::wstring(L"\xdc00z"),
                                   std::wstring(L"C:\\\xd83c\\app.vrmanifest")}) {
    EXPECT_EQ(utf8FromUtf16(text), std::nullopt);
  }
  EXPECT_EQ(displayableUtf8(L"a\xd800z"), "a\xef\xbf\xbdz");  // U+FFFD
}

TEST(Utf16Test, InvalidUtf8IsShownAsReplacementCharacters) {
  EXPECT_EQ(utf16FromUtf8("a\xff"
                          "b"),
            L"a\xfffd"
            L"b");
}

// The command line's conversion with text no one would type: every kind of
// UTF-16 unit, surrogates paired and not, at random. MinGW has neither
// libFuzzer nor AddressSanitizer, so this stands in for a fuzz target.
TEST(Utf16Test, RandomTextConvertsOnlyWhenItHasAUtf8Form) {
  // ASCII, the rest of the first plane, high and low surrogates; a
  // well-formed pair as the last kind.
  constexpr std::pair<int, int> kUnits[] = {
      {0, 0x7f}, {0x80, 0xd7ff}, {0xe000, 0xffff}, {0xd800, 0xdbff}, {0xdc00, 0xdfff}};
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> kind(0, 5);
  std::uniform_int_distribution<int> length(0, 40);
  for (int round = 0; round < 20000; ++round) {
    std::wstring text;
    for (int i = length(random); i > 0; --i) {
      const int unit = kind(random);
      if (unit == 5) {
        text += L"\xd83c\xdfae";
        continue;
      }
      const auto [low, high] = kUnits[unit];
      text += static_cast<wchar_t>(std::uniform_int_distribution<int>(low, high)(random));
    }
    // What a correct conversion makes of it: each lone surrogate is U+FFFD.
    std::wstring shown;
    bool lone = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool high = text[i] >= 0xd800 && text[i] <= 0xdbff;
      const bool low = text[i] >= 0xdc00 && text[i] <= 0xdfff;
      if (high && i + 1 < text.size() && text[i + 1] >= 0xdc00 && text[i + 1] <= 0xdfff) {
        shown += text.substr(i++, 2);
      } else if (high || low) {
        shown += L'\xfffd';
        lone = true;
      } else {
        shown += text[i];
      }
    }
    const std::optional<std::string> utf8 = utf8FromUtf16(text);
    ASSERT_EQ(utf8.has_value(), !lone) << round;
    if (utf8) {
      ASSERT_EQ(utf16FromUtf8(*utf8), text) << round;
    }
    ASSERT_EQ(utf16FromUtf8(displayableUtf8(text)), shown) << round;
  }
}

}  // namespace
}  // namespace corvane::common
