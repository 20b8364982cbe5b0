// A test double of openvr_api.dll for running vrenlist.exe under Wine: the
// six functions the tool imports, with no runtime behind them, so
// initialisation always fails the way it does on a machine without a headset.
#define VR_API_EXPORT
#include <openvr.h>

using namespace vr;

VR_INTERFACE uint32_t VR_CALLTYPE VR_InitInternal2(EVRInitError* peError, EVRApplicationType,
                                                   const char*) {
  if (peError) *peError = VRInitError_Init_HmdNotFound;
  return 0;
}

VR_INTERFACE void VR_CALLTYPE VR_ShutdownInternal() {}

VR_INTERFACE void* VR_CALLTYPE VR_GetGenericInterface(const char*, EVRInitError* peError) {
  if (peError) *peError = VRInitError_Init_NotInitialized;
  return nullptr;
}

VR_INTERFACE bool VR_CALLTYPE VR_IsInterfaceVersionValid(const char*) { return false; }

VR_INTERFACE uint32_t VR_CALLTYPE VR_GetInitToken() { return 0; }

VR_INTERFACE const char* VR_CALLTYPE VR_GetVRInitErrorAsEnglishDescription(EVRInitError error) {
  return error == VRInitError_Init_HmdNotFound ? "Hmd Not Found (108)" : "Unknown error";
}
