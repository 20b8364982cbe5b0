#include "small_file.h"

#include <fstream>
#include <system_error>

namespace corvane::vrcheck {
namespace {

bool denied(const std::error_code& error) {
  return error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
}

// The folder this user may not enter on the way to file: the deepest one
// that can still be looked at, and whose contents cannot.
std::filesystem::path closedFolder(const std::filesystem::path& file) {
  std::filesystem::path below = file;
  std::error_code error;
  while (below.has_relative_path()) {
    const std::filesystem::path folder = below.parent_path();
    (void)std::filesystem::status(folder, error);
    if (!denied(error)) return folder;
    below = folder;
  }
  return below;
}

}  // namespace

SmallFile readSmallFile(const std::filesystem::path& file) {
  SmallFile result;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  if (denied(error)) {
    result.problem = FileProblem::FolderNotEntered;
    result.folder = closedFolder(file);
    return result;
  }
  if (!std::filesystem::exists(status)) {
    result.problem = FileProblem::Missing;
  } else if (std::filesystem::is_directory(status)) {
    result.problem = FileProblem::Folder;
  } else if (!std::filesystem::is_regular_file(status)) {
    result.problem = FileProblem::NotRegular;
  }
  if (result.problem != FileProblem::None) return result;

  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error) {
    result.problem = FileProblem::Unreadable;
    return result;
  }
  if (size > kLargestFile) {
    result.problem = FileProblem::TooLarge;
    return result;
  }
  std::ifstream in(file, std::ios::binary);
  result.bytes.resize(static_cast<std::size_t>(size));
  in.read(result.bytes.data(), static_cast<std::streamsize>(result.bytes.size()));
  if (!in.is_open() || in.bad()) {
    result.problem = FileProblem::Unreadable;
    result.bytes.clear();
    return result;
  }
  // A file that shrank while being read: what is there.
  result.bytes.resize(static_cast<std::size_t>(in.gcount()));
  return result;
}

}  // namespace corvane::vrcheck
