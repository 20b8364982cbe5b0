#include "findings.h"

#include "one_line_logger.h"

namespace corvane::vrcheck {

Command registerWith(const std::string& manifest) { return Command{{"vrenlist", manifest}}; }
Command registerLater(const std::string& manifest) {
  return Command{{"vrenlist", manifest}, false};
}

std::string shellQuoted(const std::string& text) {
#ifdef _WIN32
  return "\"" + text + "\"";
#else
  std::string result = "'";
  for (const char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
#endif
}

void Findings::append(std::string& text, Finding& finding, const Path& path) const {
  text += path.value;
  if (keep_) finding.paths.emplace_back(path.field, path.value);
}

void Findings::append(std::string& text, Finding& finding, const PathList& paths) const {
  text += paths.shown;
  if (keep_) finding.pathLists.emplace_back(paths.field, paths.values);
}

void Findings::append(std::string& text, Finding& finding, const Number& number) const {
  text += std::to_string(number.value);
  if (keep_) finding.numbers.emplace_back(number.field, number.value);
}

void Findings::append(std::string& text, Finding& finding, const Command& command) const {
  const std::vector<std::string>& arguments = command.arguments;
  std::size_t at = 0;
  if (!arguments.empty() && arguments[0] == "env") {
    // env NAME=value... program: the shell's NAME='value' program.
    for (at = 1; at < arguments.size() && arguments[at].find('=') != std::string::npos; ++at) {
      const std::size_t equals = arguments[at].find('=');
      text +=
          arguments[at].substr(0, equals + 1) + shellQuoted(arguments[at].substr(equals + 1)) + ' ';
    }
  }
  for (std::size_t program = at; at < arguments.size(); ++at) {
    text += at == program ? arguments[at] : " " + shellQuoted(arguments[at]);
  }
  const bool registering = arguments.size() == 2 && arguments[0] == "vrenlist";
  if (registering && !registrable_) text += ", once what is said above is mended";
  if (!keep_) return;
  if (command.runsNow && (registrable_ || !registering)) {
    finding.fix.push_back(arguments);
  } else if (registering) {
    finding.paths.emplace_back("manifest", arguments[1]);
  }
}

void Findings::record(Finding finding) {
  static constexpr common::LogLevel kLogLevel[] = {common::LogLevel::Info, common::LogLevel::Warn,
                                                   common::LogLevel::Error};
  common::log(kLogLevel[static_cast<int>(finding.level)], std::string_view(finding.message));
  if (!keep_) return;
  // As the log line shows it.
  finding.message = common::escapeControlCharacters(finding.message);
  kept_.push_back(std::move(finding));
}

}  // namespace corvane::vrcheck
