#include "report.h"

#include <nlohmann/json.hpp>

namespace corvane::vrcheck {
namespace {

using nlohmann::ordered_json;

constexpr const char* kLevelName[] = {"info", "warn", "error"};

std::string dumped(const ordered_json& value) {
  return value.dump(-1, ' ', /*ensure_ascii=*/false, ordered_json::error_handler_t::replace);
}

}  // namespace

std::string report(const std::string& manifest, int status, const std::vector<Finding>& findings) {
  std::string text = R"({"version":1,"manifest":)" + dumped(manifest) + R"(,"status":)" +
                     std::to_string(status) + R"(,"findings":[)";
  for (const Finding& finding : findings) {
    ordered_json entry = {{"level", kLevelName[static_cast<int>(finding.level)]},
                          {"code", finding.code},
                          {"message", finding.message}};
    for (const auto& [field, path] : finding.paths) entry[field] = path;
    if (!finding.fix.empty()) entry["fix"] = finding.fix;
    text += (&finding == &findings.front() ? "\n" : ",\n") + dumped(entry);
  }
  return text + "\n]}\n";
}

}  // namespace corvane::vrcheck
