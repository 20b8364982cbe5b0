#include "utf16.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace corvane::common
