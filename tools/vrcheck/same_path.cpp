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

bool sameName(const std::filesystem::path& a, const std::filesystem::path& b) {
#ifdef _WIN32
  // Windows' own file names ignore letter case (in its ordinal sense, for
  // every script), and lexically_normal has already made '/' into '\'.
  const std::wstring& left = a.native();
  const std::wstring& right = b.native();
  return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                              static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
#else
  return a == b;
#endif
}

}  // namespace

bool samePath(const std::filesystem::path& a, const std::filesystem::path& b) {
  // Mostly spelt alike: then no need to normalise both, which costs more.
  if (a.native() == b.native()) return true;
  return sameName(comparable(a), comparable(b));
}

bool isWithin(const std::filesystem::path& file, const std::filesystem::path& folder) {
  const std::filesystem::path inner = comparable(file);
  const std::filesystem::path outer = comparable(folder);
  auto part = inner.begin();
  for (const std::filesystem::path& name : outer) {
    if (part == inner.end() || !sameName(*part, name)) return false;
    ++part;
  }
  return part != inner.end();
}

}  // namespace corvane::vrcheck
