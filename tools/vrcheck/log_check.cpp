#include "log_check.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "json_text.h"
#include "runtime.h"
#include "runtime_log.h"
#include "same_path.h"
#include "small_file.h"
#include "utf8.h"

namespace corvane::vrcheck {
namespace {

using namespace readers;  // the careful file and log readers

// The log is read whole up to 8 MiB; a longer one at its start, where the
// runtime's start speaks, and at its end, where the latest registration does.
constexpr std::uintmax_t kReadEachEnd = 4 * 1024 * 1024;
// A message quoted longer than this is cut: a line of megabytes is no
// runtime's.
constexpr std::size_t kLongestQuote = 4096;

// What the runtime's lines about this manifest hold.
struct Words {
  const std::filesystem::path& manifest;
  std::string spelt;    // the manifest's path
  std::string name;     // the manifest's file name, which a line naming it must hold
  std::size_t longest;  // a path written as it was read is about as long as this one

  explicit Words(const std::filesystem::path& path)
      : manifest(path),
        spelt(path.u8string()),
        name(path.filename().u8string()),
        longest(2 * spelt.size() + 16) {}
};

constexpr std::string_view kKey = tools::kAppKey;

// before, the app's key, after: spelt only for the few lines that name it.
std::string withKey(std::string_view before, std::string_view after) {
  return std::string(before) + tools::kAppKey + std::string(after);
}

#ifdef _WIN32
// Windows' file names ignore letter case; samePath decides, this only sorts out.
constexpr bool kIgnoreCase = true;
bool endsWithName(std::string_view text, const std::string& name) {
  if (text.size() < name.size()) return false;
  const std::string_view tail = text.substr(text.size() - name.size());
  return std::equal(tail.begin(), tail.end(), name.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}
#else
constexpr bool kIgnoreCase = false;
bool endsWithName(std::string_view text, const std::string& name) { return endsWith(text, name); }
#endif

// Whether the runtime's text names the manifest. A path is UTF-8 (on
// Windows the only way to make one of it), and a log's bytes need not be.
bool names(std::string_view logged, const Words& words) {
  if (logged == words.spelt) return true;  // as the runtime mostly writes it: no path to build
  return endsWithName(logged, words.name) && isUtf8(logged) &&
         samePath(std::filesystem::u8path(logged), words.manifest);
}

// The runtime's complaints about a manifest, each after the manifest's path.
constexpr std::string_view kComplaints[] = {
    " - No applications in manifest",
    " - No root object when parsing manifest file",
    " - Errors when parsing manifest file:",
    " - Unable to read manifest. Removing that file for the next startup",
};

// Whether a complaint about one app names this app's key: rest is what
// follows "App " or "App key ", the key up to the next space.
bool isThisKey(std::string_view rest) {
  return rest.substr(0, std::min(rest.find(' '), rest.size())) == kKey;
}

// Whether message is a complaint about the manifest as a whole (one of the
// above), or about this app in it: "<path> - App <key> ... Skipping",
// "<path> - App key <key> is invalid...". A manifest may declare several
// apps, and a line about another's key says nothing of this one.
bool complainsOf(std::string_view message, const Words& words) {
  constexpr std::string_view kAppKeyIs = " - App key ";
  constexpr std::string_view kApp = " - App ";
  for (std::size_t at = message.find(" - "); at != std::string_view::npos && at <= words.longest;
       at = message.find(" - ", at + 1)) {
    const std::string_view rest = message.substr(at);
    bool complaint = false;
    for (std::string_view known : kComplaints) complaint = complaint || startsWith(rest, known);
    if (startsWith(rest, kAppKeyIs)) {
      complaint = isThisKey(rest.substr(kAppKeyIs.size()));
    } else if (startsWith(rest, kApp)) {
      complaint = isThisKey(rest.substr(kApp.size())) && endsWith(message, ". Skipping");
    }
    if (complaint && names(message.substr(0, at), words)) return true;
  }
  return false;
}

enum class Word { None, Added, Refused, Started, Failed };

// What an entry's message says of this manifest or of starting the app.
Word wordOf(std::string_view message, const Words& words) {
  constexpr std::string_view kAdding = "Adding application manifest path: ";
  if (startsWith(message, kAdding)) {
    return names(message.substr(kAdding.size()), words) ? Word::Added : Word::None;
  }
  if (message == withKey("Started auto launch dashboard ", ".") ||
      (startsWith(message, "Starting process ") && endsWith(message, withKey(" as app ", "")))) {
    return Word::Started;
  }
  if (startsWith(message, withKey("Unable to start auto launch dashboard ", ": ")) ||
      startsWith(message, withKey("Could not check status of auto launch dashboard ", ": ")) ||
      (startsWith(message, withKey("Auto launch dashboard ", " has not started after ")) &&
       endsWith(message, " checks. Giving up waiting.")) ||
      (startsWith(message, "Tried to start binary process ") &&
       endsWith(message, withKey(" as app ", " but it failed")))) {
    return Word::Failed;
  }
  return complainsOf(message, words) ? Word::Refused : Word::None;
}

std::string quoted(const LogEntry& entry) {
  std::string message = wholeMessage(entry);
  if (message.size() > kLongestQuote) message = message.substr(0, kLongestQuote) + "...";
  return "\"" + message + "\"";
}

}  // namespace

void checkRuntimeLog(const std::filesystem::path& logFolder, const std::filesystem::path& manifest,
                     const std::string& shown, Findings& findings) {
  const std::filesystem::path file = logFolder / "vrserver.txt";
  const FileEnds log = readFileEnds(file, kReadEachEnd);
  if (log.problem == FileProblem::Missing) return;
  const Path logFile{"log_file", file.u8string()};
  if (log.problem != FileProblem::None) {
    const std::string why = log.problem == FileProblem::FolderNotEntered
                                ? "this user may not enter " + log.folder.u8string()
                            : log.problem == FileProblem::Unreadable ? "this user may not read it"
                                                                     : "it is not a regular file";
    findings.inPlace("log-unread", "The runtime's log was not read: ", logFile, ": ", why);
    return;
  }
  const Words words(manifest);
  LogEntry refusal;  // the latest complaint, unless a later addition took it back
  LogEntry launch;   // the latest word on starting the app
  Word launched = Word::None;
  // Every line this check acts on names the manifest or the app's key.
  const std::string_view name = words.name.empty() ? kKey : std::string_view(words.name);
  // Each part on its own: an entry of the first never goes on into the last.
  for (const std::string_view part : {log.head, log.tail}) {
    LogMentions entries(part, name, kKey, kIgnoreCase);
    for (LogEntry entry; entries.next(entry);) {
      switch (wordOf(entry.message, words)) {
        case Word::None: break;
        case Word::Added: refusal = LogEntry(); break;
        case Word::Refused: refusal = entry; break;
        case Word::Started:
          launch = entry;
          launched = Word::Started;
          break;
        case Word::Failed:
          launch = entry;
          launched = Word::Failed;
          break;
      }
    }
  }
  if (!refusal.message.empty()) {
    findings.notInPlace("log-manifest-refused",
                        "The runtime's log says it refused this manifest at ", refusal.time, ": ",
                        quoted(refusal), " (", logFile,
                        "). Fix what it names, then restart the runtime, or register again with: ",
                        registerWith(shown));
  }
  if (launched == Word::Failed) {
    findings.notInPlace(
        "log-launch-failed", "The runtime's log says it tried to start the app at ", launch.time,
        " and the app did not stay running: ", quoted(launch), " (", logFile,
        "). Start its binary by hand from its working folder, as the runtime would (on Linux, "
        "inside the runtime's Steam Runtime), and connect the headset before the runtime starts.");
  } else if (launched == Word::Started) {
    findings.inPlace("log-launch-started", "The runtime's log says it started the app at ",
                     launch.time, ": ", quoted(launch), " (", logFile, ")");
  }
}

}  // namespace corvane::vrcheck
