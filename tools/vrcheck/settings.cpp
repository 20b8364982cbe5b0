#include "settings.h"

#include "json_text.h"
#include "record_file.h"

namespace corvane::vrcheck {
namespace {

// Each defaults to true; the runtime's dashboard starts the overlay apps
// set to launch with it, and only when all three hold.
struct Setting {
  const char* code;
  const char* section;
  const char* key;
  const char* effect;
};
constexpr Setting kSettings[] = {
    {"settings-overlays-not-started", "steamvr", "startOverlayAppsFromDashboard",
     "the dashboard starts no overlay app"},
    {"settings-dashboard-off", "dashboard", "enableDashboard",
     "there is no dashboard, which starts the overlay apps"},
    {"settings-dashboard-not-started", "steamvr", "startDashboardFromAppLaunch",
     "the dashboard, which starts the overlay apps, does not start with the runtime"},
};

}  // namespace

void checkSettings(const std::filesystem::path& config, Findings& findings) {
  const std::filesystem::path file = config / "steamvr.vrsettings";
  const Record settings = readRecord(file);
  if (!settings.value) {
    if (!settings.problem.empty()) {
      findings.inPlace("settings-unreadable", "The runtime's settings were not checked: ",
                       Path{"settings_file", file.u8string()}, " ", settings.problem);
    }
    return;
  }
  for (const Setting& setting : kSettings) {
    if (readers::memberOf(readers::memberOf(*settings.value, setting.section), setting.key) !=
        false) {
      continue;
    }
    findings.notInPlace(setting.code, "The runtime's setting \"", setting.key, "\" in \"",
                        setting.section, "\" is false in ", Path{"settings_file", file.u8string()},
                        ": ", setting.effect,
                        ", so the app does not start with the runtime. Set "
                        "it to true in the runtime's settings, or remove it from the file while "
                        "the runtime is not running.");
  }
}

}  // namespace corvane::vrcheck
