// The least a program can do with the runtime: connect as a utility
// application and disconnect. The yardstick for a whole run of vrenlist.
#include <openvr.h>

int main() {
  vr::EVRInitError error = vr::VRInitError_None;
  vr::VR_Init(&error, vr::VRApplication_Utility);
  if (error != vr::VRInitError_None) return 1;
  vr::VR_Shutdown();
  return 0;
}
