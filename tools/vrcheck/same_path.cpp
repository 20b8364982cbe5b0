#include "same_path.h"

#ifdef _WIN32
#include <windows.h>

#include <string>
#endif

namespace corvane::vrcheck {
namespace {

// A path to compare: normalised, without a trailing separator.
std::filesystem::path comparable(const std::filesystem::path& folder) {
  std::filesystem::path normal = folder.lexically_normal();
  return normal.has_filename() ? normal : normal.parent_path();
}

}  // namespace

bool samePath(const std::filesystem::path& a, const std::filesystem::path& b) {
#ifdef _WIN32
  // Windows' own file names ignore letter case (in its ordinal sense, for
  // every script), and lexically_normal has already made '/' into '\'.
  const std::wstring left = comparable(a).wstring();
  const std::wstring right = comparable(b).wstring();
  return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                              static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
#else
  return comparable(a) == comparable(b);
#endif
}

}  // namespace corvane::vrcheck
