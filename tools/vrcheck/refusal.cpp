#include "refusal.h"

#include <cctype>
#include <string>

#include "loader_paths.h"
#include "runtime_processes.h"
#include "small_file.h"

namespace corvane::vrcheck {
namespace {

using namespace readers;  // the careful file reader

std::string sdkVersion() {
  return std::to_string(vr::k_nSteamVRVersionMajor) + "." +
         std::to_string(vr::k_nSteamVRVersionMinor) + "." +
         std::to_string(vr::k_nSteamVRVersionBuild);
}

void explainRefusal(const ConnectionFacts& facts, Findings& findings) {
  if (facts.log.empty()) {
    findings.notInPlace("runtime-refused",
                        "The way to the runtime is in place, so the runtime itself refused, as "
                        "the line above says. Start the runtime, then run vrcheck again.");
    return;
  }
  findings.notInPlace("runtime-refused",
                      "The way to the runtime is in place, so the runtime itself refused, as the "
                      "line above says. Start the runtime, then run vrcheck again; the runtime's "
                      "log is in ",
                      Path{"log_folder", facts.log}, ".");
}

// The compositor's and the graphics driver's own: no process left over
// causes these.
bool fromTheCompositor(vr::EVRInitError error) {
  return error == vr::VRInitError_IPC_CompositorInitFailed ||
         error == vr::VRInitError_IPC_CompositorConnectFailed ||
         error == vr::VRInitError_IPC_CompositorInvalidConnectResponse;
}

Command endProcess(unsigned long long id) {
#ifdef _WIN32
  // Without /F taskkill only asks a process's windows to close, and the
  // runtime's server has none.
  return Command{{"taskkill", "/F", "/PID", std::to_string(id)}};
#else
  return Command{{"kill", std::to_string(id)}};
#endif
}

}  // namespace

void warnOfLeftover(const char* code, const char* what, const RuntimeProcess& process,
                    const char* whileItRuns, Findings& findings) {
#ifdef _WIN32
  const char* endIt = " in Task Manager, or with: ";
#else
  const char* endIt = ": ";
#endif
  const auto warn = [&](auto&&... user) {
    findings.notInPlace(code, what, " is still running, left from an earlier session: ",
                        Path{"program", process.program}, " (process ",
                        Number{"process_id", process.id}, user..., "). ", whileItRuns, endIt,
                        endProcess(process.id));
  };
  if (process.user.empty()) {
    warn();
  } else {
    warn(", user ", Path{"user", process.user});
  }
}

namespace {

// The build bin/version.txt names, or "" when there is none to read.
std::string buildOf(const std::filesystem::path& runtime) {
  const SmallFile read = readSmallFile(runtime / "bin" / "version.txt");
  if (read.problem != FileProblem::None) return "";
  std::string build;
  for (const char c : read.bytes) {
    if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      if (!build.empty()) break;
      continue;
    }
    build += c;
    if (build.size() > 64) return "";  // no build number
  }
  return build;
}

}  // namespace

void explainInitFailure(const ConnectionFacts& facts, vr::EVRInitError error, Findings& findings) {
  if (fromTheCompositor(error)) {
    const char* what =
        "The runtime's compositor or the graphics driver failed, not a process left over. "
        "Connect the headset, update the graphics driver, then restart the runtime";
    if (facts.log.empty()) {
      findings.notInPlace("runtime-compositor-failed", what, ".");
    } else {
      findings.notInPlace("runtime-compositor-failed", what, "; the runtime's log is in ",
                          Path{"log_folder", facts.log}, ".");
    }
    return;
  }
  const bool ipc = error >= vr::VRInitError_IPC_ServerInitFailed &&
                   error <= vr::VRInitError_IPC_NamespaceUnavailable;
  if (ipc && !facts.runtime.empty()) {
    const std::filesystem::path bin = std::filesystem::u8path(facts.runtime) / "bin";
    const std::vector<RuntimeProcess> left = processesRunningFrom(bin);
    for (const RuntimeProcess& process : left) {
      warnOfLeftover("runtime-process-left", "A runtime process", process,
                     "While it runs, the runtime accepts no connection. Quit the runtime, then end "
                     "the process",
                     findings);
    }
    if (!left.empty()) return;  // starting the runtime cannot help while they run
    if (facts.inPlace) explainRefusal(facts, findings);
    findings.inPlace("runtime-no-process-left", "No runtime process is left over: none runs from ",
                     Path{"folder", bin.u8string()});
    return;
  }
  if (error == vr::VRInitError_Init_InterfaceNotFound &&
      explainMissingInterface(facts, vr::IVRSystem_Version, findings)) {
    return;
  }
  if (facts.inPlace) explainRefusal(facts, findings);
}

bool explainMissingInterface(const ConnectionFacts& facts, const char* interfaceVersion,
                             Findings& findings) {
  if (facts.runtime.empty()) return false;
  const std::filesystem::path runtime = std::filesystem::u8path(facts.runtime);
  const std::filesystem::path library = clientLibrary(runtime);
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(library, ignored)) return false;
  const std::string build = buildOf(runtime);
  const std::string ofBuild = build.empty() ? "" : " (build " + build + ")";
  if (fileContains(library, interfaceVersion, kLargestClientLibrary)) {
    findings.notInPlace("runtime-refused-interface", "The runtime in ",
                        Path{"runtime_folder", facts.runtime}, ofBuild, " offers ",
                        interfaceVersion, ", as its client library ",
                        Path{"library", library.u8string()},
                        " names it, and refused it. Restart the runtime; if it refuses again, "
                        "reinstall it.");
    return true;
  }
  // Another runtime than the vendor's has no version file; its library
  // names its interfaces otherwise.
  if (build.empty()) return false;
  findings.notInPlace(
      "runtime-older-than-sdk", "The runtime in ", Path{"runtime_folder", facts.runtime},
      " (build ", build, ", from ",
      Path{"version_file", (runtime / "bin" / "version.txt").u8string()},
      ") is older than the OpenVR SDK ", sdkVersion(),
      " these tools were built with: its client library ", Path{"library", library.u8string()},
      " does not name ", interfaceVersion,
      ". Update the runtime, and leave any beta or \"previous\" branch for the current release.");
  return true;
}

}  // namespace corvane::vrcheck
