// What vrenlist and vrdelist share of talking to the OpenVR runtime: the
// app key they act on, their exit statuses, the connection and the
// applications interface, and the runtime's texts for the log lines.
#pragma once

#include <openvr.h>

namespace corvane::tools {

// The companion application whose auto-launch the tools switch.
constexpr const char* kAppKey = "lumora.corvane";

constexpr int kSuccess = 0;
constexpr int kRuntimeFailure = 1;  // unreachable, or refused a request
constexpr int kUsageError = 2;

// Connects as a utility application. On failure logs the runtime's
// description and returns false; there is then nothing to shut down.
bool connectAsUtility();

// Connects as an application of this type and returns the runtime's
// answer; the caller reports a failure.
vr::EVRInitError connect(vr::EVRApplicationType type);

// The runtime's description of an initialisation error, never null.
const char* initErrorDescription(vr::EVRInitError error);

// Holds a connection that was opened; closes it on every road.
class RuntimeConnection {
 public:
  RuntimeConnection() = default;
  RuntimeConnection(const RuntimeConnection&) = delete;
  RuntimeConnection& operator=(const RuntimeConnection&) = delete;
  ~RuntimeConnection() { vr::VR_Shutdown(); }
};

// The applications interface, fetched afresh as the SDK expects; logs and
// returns null when the runtime does not offer it.
vr::IVRApplications* applications();

// The runtime's name for an applications error, never null.
const char* applicationsErrorName(vr::EVRApplicationError error);

}  // namespace corvane::tools
