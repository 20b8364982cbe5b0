#include "find_either.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

namespace corvane::readers {
namespace {

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// What EitherFinder must answer, the slow way.
std::size_t plainFind(std::string_view text, std::size_t from, const std::string& a,
                      const std::string& b, bool ignoreCase) {
  if (from >= text.size()) return std::string_view::npos;
  const std::string seen = ignoreCase ? lower(std::string(text)) : std::string(text);
  return std::min(seen.find(ignoreCase ? lower(a) : a, from),
                  seen.find(ignoreCase ? lower(b) : b, from));
}

// Texts of every length around the 32-byte blocks, the needles planted at
// every place, among near misses (first and last bytes without the middle)
// and letters of the other case.
TEST(EitherFinder, AgreesWithAPlainSearchAtEveryPlace) {
  const std::string a = "lumora.vrmanifest";
  const std::string b = "lumora.corvane";
  std::mt19937 random(7);
  const std::string alphabet = "lLumtTe. -\n\r/vrANIFESTx";
  for (const bool ignoreCase : {false, true}) {
    for (std::size_t size = 0; size < 130; ++size) {
      std::string text(size, ' ');
      for (char& c : text) c = alphabet[random() % alphabet.size()];
      for (std::size_t place = 0; place <= size; ++place) {
        std::string planted = text;
        const std::string& needle = place % 2 ? a : b;
        std::string spelt = needle;
        // Every third in mixed case, its first and last letters included.
        for (std::size_t i = 0; place % 3 == 0 && i < spelt.size(); i += 2) {
          spelt[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(spelt[i])));
        }
        spelt.back() = place % 3 ? spelt.back() : static_cast<char>(std::toupper(spelt.back()));
        if (place + spelt.size() <= size) planted.replace(place, spelt.size(), spelt);
        for (const std::size_t from : {std::size_t{0}, place, place + 1}) {
          ASSERT_EQ(EitherFinder(planted, a, b, ignoreCase).find(from),
                    plainFind(planted, from, a, b, ignoreCase))
              << "size " << size << " place " << place << " from " << from << " ignoreCase "
              << ignoreCase << " text " << planted;
        }
      }
    }
  }
}

// Needles of one byte and of more than a block, and bytes above 0x7f, which
// ignoring case leaves as they are.
TEST(EitherFinder, ShortLongAndHighBytes) {
  const std::string longNeedle(40, 'q');
  EXPECT_EQ(EitherFinder(std::string(70, 'x') + longNeedle, "z", longNeedle, false).find(0), 70u);
  EXPECT_EQ(EitherFinder(std::string(70, 'x') + "z", "z", longNeedle, false).find(0), 70u);
  const std::string high = std::string(50, '\xc3') + "\xe9t\xc3\xa9";
  EXPECT_EQ(EitherFinder(high, "\xc3\xa9", "\xc9", true).find(0), 52u);
  EXPECT_EQ(EitherFinder(high, "\xc3\x89", "\xc9", true).find(0), std::string_view::npos);
}

}  // namespace
}  // namespace corvane::readers
