// Reads a file that vrcheck inspects (a manifest, the runtime's paths file
// and records), or the stand-in runtime reads, without trusting it to be
// one: a device or pipe could be read for ever, and a huge file is no
// configuration.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace corvane::readers {

// Far beyond any manifest or paths file; a larger file is something else.
constexpr std::uintmax_t kLargestFile = 1024 * 1024;

enum class FileProblem {
  None,
  Missing,
  FolderNotEntered,  // a folder above the file may not be entered: see `folder`
  Folder,
  NotRegular,  // a device, a pipe, a socket
  TooLarge,
  Unreadable,
};

struct SmallFile {
  FileProblem problem = FileProblem::None;
  std::string bytes;             // the whole file, when problem is None
  std::filesystem::path folder;  // for FolderNotEntered
};

SmallFile readSmallFile(const std::filesystem::path& file);

// A file of megabytes, held without first filling its memory with zeros.
struct FileEnds {
  FileProblem problem = FileProblem::None;
  std::unique_ptr<char[]> bytes;
  std::filesystem::path folder;  // for FolderNotEntered
  // Whole lines within bytes, each ending in '\n': the file's first part,
  // and its last when it was read in two (else empty).
  std::string_view head;
  std::string_view tail;
};

// A file that grows without bound, such as a log, in whole lines: those of
// the whole of it up to 2 * each bytes, else those within its first and its
// last each bytes. A line is whole when both its start and its end were
// read: the line cut at either end of a part is left out, and so is a last
// line with no line end yet, which its writer may still be writing. The
// same refusals as readSmallFile, but no TooLarge.
FileEnds readFileEnds(const std::filesystem::path& file, std::uintmax_t each);

// The first count bytes of a regular file, or fewer where it is shorter;
// "" for anything else, which is never opened: a pipe or a device would
// block or never end.
std::string readFileStart(const std::filesystem::path& file, std::size_t count);

// Whether a regular file holds text within its first `limit` bytes; read a
// piece at a time, so a large file costs no more memory than a small one.
bool fileContains(const std::filesystem::path& file, std::string_view text, std::uintmax_t limit);

}  // namespace corvane::readers
