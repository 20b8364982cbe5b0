#include "find_either.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define CORVANE_AVX2 1
#endif

namespace corvane::readers {
namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
// The byte that ignoring case compares: a letter in lower case.
char folded(char c) { return isLetter(c) ? static_cast<char>(c | 0x20) : c; }

inline bool holdsAt(std::string_view text, std::size_t at, std::string_view needle,
                    bool ignoreCase) {
  if (text.size() - at < needle.size()) return false;
  if (!ignoreCase) {
    // Most places the wide compares mark fail at the second byte: a call
    // would cost ten times as much.
    return text[at] == needle[0] && (needle.size() < 2 || text[at + 1] == needle[1]) &&
           std::memcmp(text.data() + at, needle.data(), needle.size()) == 0;
  }
  for (std::size_t i = 0; i < needle.size(); ++i) {
    if (folded(text[at + i]) != folded(needle[i])) return false;
  }
  return true;
}

std::size_t findOneByOne(std::string_view text, std::size_t from, std::string_view a,
                         std::string_view b, bool ignoreCase) {
  for (std::size_t at = from; at < text.size(); ++at) {
    if (holdsAt(text, at, a, ignoreCase) || holdsAt(text, at, b, ignoreCase)) return at;
  }
  return std::string_view::npos;
}

#ifdef CORVANE_AVX2
#define CORVANE_WIDE __attribute__((target("avx2")))

bool wide() { return __builtin_cpu_supports("avx2") != 0; }

// A needle's byte at one place, 32 copies of it, with the bit that
// ignoring case sets in a letter there.
struct Probe {
  __m256i byte, caseBit;
  std::size_t at;
};

// The two bytes of a needle that every place of the text is tested for.
struct Needle {
  Probe first, second;
};

CORVANE_WIDE Probe probeOf(std::string_view needle, std::size_t at, bool ignoreCase) {
  const char c = ignoreCase ? folded(needle[at]) : needle[at];
  return {_mm256_set1_epi8(c), _mm256_set1_epi8(ignoreCase && isLetter(c) ? 0x20 : 0), at};
}

CORVANE_WIDE Needle needleOf(std::string_view needle, std::size_t first, std::size_t second,
                             bool ignoreCase) {
  return {probeOf(needle, first, ignoreCase), probeOf(needle, second, ignoreCase)};
}

// Where, of the 32 places from block, a needle has the probe's byte.
template <bool kIgnoreCase>
CORVANE_WIDE __m256i seen(const char* block, const Probe& probe) {
  __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + probe.at));
  if (kIgnoreCase) bytes = _mm256_or_si256(bytes, probe.caseBit);
  return _mm256_cmpeq_epi8(bytes, probe.byte);
}

template <bool kIgnoreCase>
CORVANE_WIDE __m256i bothSeen(const char* block, const Needle& needle) {
  return _mm256_and_si256(seen<kIgnoreCase>(block, needle.first),
                          seen<kIgnoreCase>(block, needle.second));
}

template <bool kIgnoreCase>
CORVANE_WIDE __m256i eitherSeen(const char* block, const Needle& a, const Needle& b) {
  return _mm256_or_si256(bothSeen<kIgnoreCase>(block, a), bothSeen<kIgnoreCase>(block, b));
}

// How many places of a sample of text have the needle's bytes at first and
// second: four stretches, from its start to its last quarter.
CORVANE_WIDE int timesSeen(std::string_view text, std::string_view needle, std::size_t first,
                           std::size_t second, bool ignoreCase) {
  constexpr std::size_t kStretch = 512;
  const Needle probes = needleOf(needle, first, second, ignoreCase);
  if (text.size() < needle.size() + 31) return 0;
  const std::size_t lastBlock = text.size() - needle.size() - 31;
  int times = 0;
  for (std::size_t quarter = 0; quarter < 4; ++quarter) {
    const std::size_t from = text.size() / 4 * quarter;
    for (std::size_t at = from; at < from + kStretch && at <= lastBlock; at += 32) {
      const __m256i both = ignoreCase ? bothSeen<true>(text.data() + at, probes)
                                      : bothSeen<false>(text.data() + at, probes);
      times += __builtin_popcount(static_cast<unsigned>(_mm256_movemask_epi8(both)));
    }
  }
  return times;
}

// The first place of `blocks` blocks from at that holds a or b, or npos.
// Apart from the scan, which it would slow: few blocks get here.
template <bool kIgnoreCase>
CORVANE_WIDE __attribute__((noinline)) std::size_t holderIn(std::string_view text, std::size_t at,
                                                            std::size_t blocks, std::string_view a,
                                                            const Needle& aProbes,
                                                            std::string_view b,
                                                            const Needle& bProbes) {
  for (const std::size_t end = at + 32 * blocks; at < end; at += 32) {
    const __m256i both = eitherSeen<kIgnoreCase>(text.data() + at, aProbes, bProbes);
    for (auto places = static_cast<unsigned>(_mm256_movemask_epi8(both)); places != 0;
         places &= places - 1) {
      const std::size_t place = at + static_cast<std::size_t>(__builtin_ctz(places));
      if (holdsAt(text, place, a, kIgnoreCase) || holdsAt(text, place, b, kIgnoreCase)) {
        return place;
      }
    }
  }
  return std::string_view::npos;
}

// 32 places at a time, eight blocks to a branch.
template <bool kIgnoreCase>
CORVANE_WIDE std::size_t findWide(std::string_view text, std::size_t from, std::string_view a,
                                  const Needle& aProbes, std::string_view b,
                                  const Needle& bProbes) {
  constexpr std::size_t kBlocks = 8;
  // A block reads this far past its start.
  const std::size_t reach = std::max(a.size(), b.size()) - 1 + 32;
  const std::size_t stride = 32 * kBlocks, lastStart = reach + stride - 32;
  const char* bytes = text.data();
  std::size_t at = from;
  for (; text.size() >= lastStart && at <= text.size() - lastStart; at += stride) {
    __m256i any = eitherSeen<kIgnoreCase>(bytes + at, aProbes, bProbes);
    for (std::size_t block = 1; block < kBlocks; ++block) {
      any =
          _mm256_or_si256(any, eitherSeen<kIgnoreCase>(bytes + at + 32 * block, aProbes, bProbes));
    }
    if (_mm256_testz_si256(any, any)) continue;
    const std::size_t found = holderIn<kIgnoreCase>(text, at, kBlocks, a, aProbes, b, bProbes);
    if (found != std::string_view::npos) return found;
  }
  for (; text.size() >= reach && at <= text.size() - reach; at += 32) {
    const std::size_t found = holderIn<kIgnoreCase>(text, at, 1, a, aProbes, b, bProbes);
    if (found != std::string_view::npos) return found;
  }
  return findOneByOne(text, at, a, b, kIgnoreCase);
}

CORVANE_WIDE std::size_t findWide(std::string_view text, std::size_t from, std::string_view a,
                                  std::size_t aFirst, std::size_t aSecond, std::string_view b,
                                  std::size_t bFirst, std::size_t bSecond, bool ignoreCase) {
  const Needle aProbes = needleOf(a, aFirst, aSecond, ignoreCase);
  const Needle bProbes = needleOf(b, bFirst, bSecond, ignoreCase);
  return ignoreCase ? findWide<true>(text, from, a, aProbes, b, bProbes)
                    : findWide<false>(text, from, a, aProbes, b, bProbes);
}
#else
bool wide() { return false; }
#endif

}  // namespace

EitherFinder::EitherFinder(std::string_view text, std::string_view a, std::string_view b,
                           bool ignoreCase)
    : text_(text), a_(a), b_(b), ignoreCase_(ignoreCase) {
  const auto pick = [&](std::string_view needle) {
    const std::size_t last = needle.size() - 1, middle = needle.size() / 2;
    const Places tried[] = {{0, last}, {1, last}, {0, middle}, {middle, last}};
    Places best = tried[0];
#ifdef CORVANE_AVX2
    int fewest = -1;
    for (const Places& places : tried) {
      if (!wide() || places.first >= places.second) continue;
      const int times = timesSeen(text, needle, places.first, places.second, ignoreCase);
      if (fewest < 0 || times < fewest) {
        fewest = times;
        best = places;
      }
    }
#endif
    return best;
  };
  aPlaces_ = pick(a);
  bPlaces_ = pick(b);
}

std::size_t EitherFinder::find(std::size_t from) const {
  if (from >= text_.size()) return std::string_view::npos;
#ifdef CORVANE_AVX2
  if (wide()) {
    return findWide(text_, from, a_, aPlaces_.first, aPlaces_.second, b_, bPlaces_.first,
                    bPlaces_.second, ignoreCase_);
  }
#endif
  if (ignoreCase_) return findOneByOne(text_, from, a_, b_, true);
  // Without wide compares, the library's search, which skips by first byte.
  return std::min(text_.find(a_, from), text_.find(b_, from));
}

}  // namespace corvane::readers
