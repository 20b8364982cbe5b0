#include "record_file.h"

#include <string_view>

#include "json_text.h"

namespace corvane::vrcheck {
namespace {

using namespace readers;  // the careful file and JSON readers

Record refused(std::string problem) {
  Record record;
  record.problem = std::move(problem);
  return record;
}

// What the runtime makes of a record's bytes.
Record parseRecord(std::string_view bytes) {
  // The runtime's reader cannot parse these, and starts afresh.
  if (startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF")) {
    return refused("is saved as UTF-16, which the runtime cannot parse");
  }
  if (startsWith(bytes, kByteOrderMark)) {
    return refused("starts with a byte order mark, which the runtime cannot parse");
  }
  ParsedJson parsed = parseJson(bytes);
  if (parsed.problem == JsonProblem::TooDeep) {
    return refused("nests deeper than the runtime reads (" + std::to_string(kDeepestNesting) +
                   " levels)");
  }
  if (parsed.problem == JsonProblem::Syntax) {
    return refused("is not JSON the runtime can parse, at " + parsed.where);
  }
  Record record;
  record.value = std::move(parsed.value);
  return record;
}

}  // namespace

Record readRecord(const std::filesystem::path& file) {
  SmallFile read = readSmallFile(file);
  const auto unread = [&](std::string problem) {
    Record record = refused(std::move(problem));
    record.unread = std::move(read);
    return record;
  };
  switch (read.problem) {
    case FileProblem::None: break;
    case FileProblem::Missing: return unread("");
    case FileProblem::FolderNotEntered:
      return unread("cannot be read: this user may not enter " + read.folder.u8string());
    case FileProblem::Unreadable: return unread("cannot be read");
    case FileProblem::Folder:
    case FileProblem::NotRegular: return unread("is not a regular file");
    case FileProblem::TooLarge: return unread("is larger than 1 MiB");
  }
  Record record = parseRecord(read.bytes);
  record.bytesRead = read.bytes.size();
  return record;
}

}  // namespace corvane::vrcheck
