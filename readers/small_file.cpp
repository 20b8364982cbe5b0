#include "small_file.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <system_error>

namespace corvane::readers {
namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// C's streams: far lighter to set up than iostreams, for one read.
File openForReading(const std::filesystem::path& file) {
#ifdef _WIN32
  return File(_wfopen(file.c_str(), L"rb"), std::fclose);
#else
  return File(std::fopen(file.c_str(), "rb"), std::fclose);
#endif
}

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
  const File in = openForReading(file);
  if (!in) {
    result.problem = FileProblem::Unreadable;
    return result;
  }
  result.bytes.resize(static_cast<std::size_t>(size));
  // A file that shrank while being read: what is there.
  result.bytes.resize(std::fread(result.bytes.data(), 1, result.bytes.size(), in.get()));
  if (std::ferror(in.get())) {
    result.problem = FileProblem::Unreadable;
    result.bytes.clear();
  }
  return result;
}

bool fileContains(const std::filesystem::path& file, std::string_view text, std::uintmax_t limit) {
  std::error_code error;
  if (text.empty() || !std::filesystem::is_regular_file(file, error)) return false;
  const File in = openForReading(file);
  if (!in) return false;
  // Each piece starts with the end of the one before, so that the text is
  // found across a boundary too.
  constexpr std::size_t kPiece = 1024 * 1024;
  std::string piece;
  for (std::uintmax_t read = 0; read < limit;) {
    const std::size_t kept = std::min(piece.size(), text.size() - 1);
    piece.erase(0, piece.size() - kept);
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uintmax_t>(kPiece, limit - read));
    piece.resize(kept + wanted);
    const std::size_t got = std::fread(piece.data() + kept, 1, wanted, in.get());
    piece.resize(kept + got);
    if (piece.find(text) != std::string::npos) return true;
    if (got < wanted) return false;
    read += got;
  }
  return false;
}

}  // namespace corvane::readers
