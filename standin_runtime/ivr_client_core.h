// The interface between the OpenVR SDK's openvr_api library and a runtime's
// vrclient library. It is not in the public header: the SDK asks the
// library's exported VRClientCoreFactory for kClientCoreVersion and drives
// the object it gets through these slots, whose order matters.
#pragma once

#include <openvr.h>

namespace standin {

inline constexpr const char* kClientCoreVersion = "IVRClientCore_003";

class IVRClientCore {
 public:
  virtual vr::EVRInitError Init(vr::EVRApplicationType eApplicationType,
                                const char* pStartupInfo) = 0;
  virtual void Cleanup() = 0;
  virtual vr::EVRInitError IsInterfaceVersionValid(const char* pchInterfaceVersion) = 0;
  virtual void* GetGenericInterface(const char* pchNameAndVersion, vr::EVRInitError* peError) = 0;
  virtual bool BIsHmdPresent() = 0;
  virtual const char* GetEnglishStringForHmdError(vr::EVRInitError eError) = 0;
  virtual const char* GetIDForVRInitError(vr::EVRInitError eError) = 0;

 protected:
  ~IVRClientCore() = default;
};

// The signature of the exported VRClientCoreFactory.
using ClientCoreFactory = void* (*)(const char* pInterfaceName, int* pReturnCode);

}  // namespace standin
