// Finding a manifest's name or an app's key in megabytes of a log, where
// all but a few lines are about something else: a pass that looks at each
// byte costs more than the rest of vrcheck together.
#pragma once

#include <cstddef>
#include <string_view>

namespace corvane::readers {

// Where a text holds one of two needles (neither empty). With ignoreCase,
// ASCII letters match in either case. Each byte of the text is tested for
// two bytes of each needle, then the few places that have both are
// compared whole. Which two is picked once, by how seldom a sample of the text
// holds them together: a log repeats its phrases on every line, and one of
// them may hold, say, a name's first and last letters as far apart.
class EitherFinder {
 public:
  EitherFinder(std::string_view text, std::string_view a, std::string_view b, bool ignoreCase);
  // The first place at or after from that holds a or b, or npos.
  std::size_t find(std::size_t from) const;

 private:
  struct Places {
    std::size_t first = 0;
    std::size_t second = 0;
  };

  std::string_view text_;
  std::string_view a_;
  std::string_view b_;
  bool ignoreCase_;
  Places aPlaces_;
  Places bPlaces_;
};

}  // namespace corvane::readers
