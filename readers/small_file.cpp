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

// What keeps file from being read at all, and else its size.
SmallFile lookAt(const std::filesystem::path& file, std::uintmax_t& size) {
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
  size = std::filesystem::file_size(file, error);
  if (error) result.problem = FileProblem::Unreadable;
  return result;
}

// Appends up to length bytes from offset; false on a read error. A file
// that shrank while being read gives what is there.
bool appendPart(std::FILE* in, std::uintmax_t offset, std::size_t length, std::string& bytes) {
#ifdef _WIN32
  if (offset != 0 && _fseeki64(in, static_cast<__int64>(offset), SEEK_SET) != 0) return false;
#else
  if (offset != 0 && fseeko(in, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
#endif
  const std::size_t before = bytes.size();
  bytes.resize(before + length);
  bytes.resize(before + std::fread(bytes.data() + before, 1, length, in));
  return !std::ferror(in);
}

SmallFile readParts(const std::filesystem::path& file, std::uintmax_t each, bool ends) {
  std::uintmax_t size = 0;
  SmallFile result = lookAt(file, size);
  if (result.problem != FileProblem::None) return result;
  if (!ends && size > each) {
    result.problem = FileProblem::TooLarge;
    return result;
  }
  const File in = openForReading(file);
  if (!in) {
    result.problem = FileProblem::Unreadable;
    return result;
  }
  const bool whole = size <= 2 * each || !ends;
  const std::size_t head = static_cast<std::size_t>(whole ? size : each);
  bool read = appendPart(in.get(), 0, head, result.bytes);
  if (read && !whole) {
    result.bytes += '\n';
    read = appendPart(in.get(), size - each, static_cast<std::size_t>(each), result.bytes);
  }
  if (!read) {
    result.problem = FileProblem::Unreadable;
    result.bytes.clear();
  }
  return result;
}

}  // namespace

SmallFile readSmallFile(const std::filesystem::path& file) {
  return readParts(file, kLargestFile, /*ends=*/false);
}

SmallFile readFileEnds(const std::filesystem::path& file, std::uintmax_t each) {
  return readParts(file, each, /*ends=*/true);
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
