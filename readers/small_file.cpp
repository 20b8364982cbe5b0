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

// Reads up to length bytes from offset into to; false on a read error. A
// file that shrank while being read gives what is there.
bool readPart(std::FILE* in, std::uintmax_t offset, std::size_t length, char* to,
              std::size_t& got) {
#ifdef _WIN32
  if (offset != 0 && _fseeki64(in, static_cast<__int64>(offset), SEEK_SET) != 0) return false;
#else
  if (offset != 0 && fseeko(in, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
#endif
  got = std::fread(to, 1, length, in);
  return !std::ferror(in);
}

// Looks at file and opens it: what keeps it from being read, else its size.
template <typename Result>
File openLookedAt(const std::filesystem::path& file, std::uintmax_t largest, Result& result,
                  std::uintmax_t& size) {
  SmallFile looked = lookAt(file, size);
  result.problem = looked.problem;
  result.folder = std::move(looked.folder);
  if (result.problem == FileProblem::None && size > largest) result.problem = FileProblem::TooLarge;
  if (result.problem != FileProblem::None) return File(nullptr, std::fclose);
  File in = openForReading(file);
  if (!in) result.problem = FileProblem::Unreadable;
  return in;
}

}  // namespace

SmallFile readSmallFile(const std::filesystem::path& file) {
  SmallFile result;
  std::uintmax_t size = 0;
  const File in = openLookedAt(file, kLargestFile, result, size);
  if (!in) return result;
  result.bytes.resize(static_cast<std::size_t>(size));
  std::size_t got = 0;
  if (!readPart(in.get(), 0, result.bytes.size(), result.bytes.data(), got)) {
    result.problem = FileProblem::Unreadable;
    got = 0;
  }
  result.bytes.resize(got);
  return result;
}

FileEnds readFileEnds(const std::filesystem::path& file, std::uintmax_t each) {
  FileEnds result;
  std::uintmax_t size = 0;
  const File in = openLookedAt(file, UINTMAX_MAX, result, size);
  if (!in) return result;
  const bool whole = size <= 2 * each;
  const auto head = static_cast<std::size_t>(whole ? size : each);
  // The last part with the byte before it, which tells whether it starts a line.
  const std::size_t tail = whole ? 0 : head + 1;
  // new char[], not a string: a string's bytes are zeroed before the read
  // fills them, which costs as much as reading the log.
  result.bytes.reset(new char[head + tail]);
  char* const bytes = result.bytes.get();
  std::size_t gotHead = 0;
  std::size_t gotTail = 0;
  if (!readPart(in.get(), 0, head, bytes, gotHead) ||
      (!whole && !readPart(in.get(), size - each - 1, tail, bytes + head, gotTail))) {
    result.problem = FileProblem::Unreadable;
    result.bytes.reset();
    return result;
  }
  // Up to the last line end: what follows was cut, or is being written.
  const auto wholeLines = [](std::string_view part) {
    const std::size_t end = part.rfind('\n');
    return end == std::string_view::npos ? part.substr(0, 0) : part.substr(0, end + 1);
  };
  result.head = wholeLines({bytes, gotHead});
  // After the first line end: what comes before it was cut.
  const std::string_view last(bytes + head, gotTail);
  const std::size_t cut = last.find('\n');
  result.tail =
      cut == std::string_view::npos ? last.substr(0, 0) : wholeLines(last.substr(cut + 1));
  return result;
}

std::string readFileStart(const std::filesystem::path& file, std::size_t count) {
  SmallFile looked;
  std::uintmax_t size = 0;
  const File in = openLookedAt(file, UINTMAX_MAX, looked, size);
  if (!in) return "";
  std::string bytes(static_cast<std::size_t>(std::min<std::uintmax_t>(count, size)), '\0');
  std::size_t got = 0;
  if (!readPart(in.get(), 0, bytes.size(), bytes.data(), got)) return "";
  bytes.resize(got);
  return bytes;
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
