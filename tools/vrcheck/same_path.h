// Whether two paths name the same file or folder, as the platform's file
// names compare: on Windows ignoring letter case and '/' against '\\', and
// everywhere ignoring "." components and a trailing separator.
#pragma once

#include <filesystem>

namespace corvane::vrcheck {

bool samePath(const std::filesystem::path& a, const std::filesystem::path& b);

// Whether file lies somewhere below folder, compared so.
bool isWithin(const std::filesystem::path& file, const std::filesystem::path& folder);

}  // namespace corvane::vrcheck
