// The report is JSON whatever the findings hold, each on its own line.
#include "report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace corvane::vrcheck {
namespace {

TEST(ReportTest, IsJsonWhateverTheTextsHold) {
  Finding first;
  first.level = Level::Warn;
  first.code = "records-other-manifest";
  first.message = "Registered from \"C:\\old\": \\x0A";
  first.paths = {{"other_manifest", "C:\\old\\lumora.vrmanifest"},
                 {"folder", "/opt/caf\xE9/\xED\xA0\x80"},
                 {"library", "/opt/a\xC2\x85" "b\xE2\x80\xA8" "c\xE2\x80\xA9" "d\xC2\xA0"}};
  first.fix = {{"vrdelist", "C:\\old\\lumora.vrmanifest"}, {"vrenlist", "a\nb\x01"}};
  Finding second;
  second.code = "binary-found";
  second.message =
      "Jos\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xAE \xF4\x90\x80\x80 \xC0\xAF";

  const std::string text = report("/opt/app.vrmanifest", 3, {first, second});
  const nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
  ASSERT_FALSE(parsed.is_discarded()) << text;
  EXPECT_EQ(parsed["status"], 3);
  EXPECT_EQ(parsed["manifest"], "/opt/app.vrmanifest");
  const nlohmann::json& findings = parsed["findings"];
  ASSERT_EQ(findings.size(), 2u);
  EXPECT_EQ(findings[0]["level"], "warn");
  EXPECT_EQ(findings[0]["message"], first.message);
  EXPECT_EQ(findings[0]["other_manifest"], "C:\\old\\lumora.vrmanifest");
  EXPECT_EQ(findings[0]["library"], first.paths[2].second);
  // Each byte that is no UTF-8 (a lone surrogate's, an overlong's, one past
  // U+10FFFF) as U+FFFD.
  EXPECT_EQ(findings[0]["folder"], "/opt/caf\xEF\xBF\xBD/\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  using Commands = std::vector<std::vector<std::string>>;
  EXPECT_EQ(findings[0]["fix"].get<Commands>(), first.fix);
  EXPECT_EQ(findings[1]["level"], "info");
  EXPECT_EQ(findings[1]["message"],
            "Jos\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xAE "
            "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_FALSE(findings[1].contains("fix"));
  // A line for the document's start, one a finding, one for its end, and
  // no other line break, even for readers that split on more than \n.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
  for (const char* separator : {"\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"}) {
    EXPECT_EQ(text.find(separator), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace corvane::vrcheck
