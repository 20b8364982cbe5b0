// The stand-in's IVRApplications_007. Registrations and auto-launch flags
// are real (kept in the runtime's records, see state.h), and so are the answers about an
// installed key: whether it is, its flag, the folder and binary it was
// registered with, and whether it is a dashboard overlay. Every other
// method answers "not implemented". Every call is journalled with its
// arguments.
#pragma once

#include <openvr.h>

#include <string>
#include <vector>

#include "state.h"

namespace standin {

class Applications final : public vr::IVRApplications {
 public:
  // Loads the records, as the connection's view of the server's list.
  Applications(StateDirectory& state, const Faults& faults);

  vr::EVRApplicationError AddApplicationManifest(const char* pchApplicationManifestFullPath,
                                                 bool bTemporary) override;
  vr::EVRApplicationError RemoveApplicationManifest(
      const char* pchApplicationManifestFullPath) override;
  bool IsApplicationInstalled(const char* pchAppKey) override;
  uint32_t GetApplicationCount() override;
  vr::EVRApplicationError GetApplicationKeyByIndex(uint32_t unApplicationIndex,
                                                   char* pchAppKeyBuffer,
                                                   uint32_t unAppKeyBufferLen) override;
  vr::EVRApplicationError GetApplicationKeyByProcessId(uint32_t unProcessId, char* pchAppKeyBuffer,
                                                       uint32_t unAppKeyBufferLen) override;
  vr::EVRApplicationError LaunchApplication(const char* pchAppKey) override;
  vr::EVRApplicationError LaunchTemplateApplication(const char* pchTemplateAppKey,
                                                    const char* pchNewAppKey,
                                                    const vr::AppOverrideKeys_t* pKeys,
                                                    uint32_t unKeys) override;
  vr::EVRApplicationError LaunchApplicationFromMimeType(const char* pchMimeType,
                                                        const char* pchArgs) override;
  vr::EVRApplicationError LaunchDashboardOverlay(const char* pchAppKey) override;
  bool CancelApplicationLaunch(const char* pchAppKey) override;
  vr::EVRApplicationError IdentifyApplication(uint32_t unProcessId, const char* pchAppKey) override;
  uint32_t GetApplicationProcessId(const char* pchAppKey) override;
  const char* GetApplicationsErrorNameFromEnum(vr::EVRApplicationError error) override;
  uint32_t GetApplicationPropertyString(const char* pchAppKey, vr::EVRApplicationProperty eProperty,
                                        char* pchPropertyValueBuffer,
                                        uint32_t unPropertyValueBufferLen,
                                        vr::EVRApplicationError* peError) override;
  bool GetApplicationPropertyBool(const char* pchAppKey, vr::EVRApplicationProperty eProperty,
                                  vr::EVRApplicationError* peError) override;
  uint64_t GetApplicationPropertyUint64(const char* pchAppKey, vr::EVRApplicationProperty eProperty,
                                        vr::EVRApplicationError* peError) override;
  vr::EVRApplicationError SetApplicationAutoLaunch(const char* pchAppKey,
                                                   bool bAutoLaunch) override;
  bool GetApplicationAutoLaunch(const char* pchAppKey) override;
  vr::EVRApplicationError SetDefaultApplicationForMimeType(const char* pchAppKey,
                                                           const char* pchMimeType) override;
  bool GetDefaultApplicationForMimeType(const char* pchMimeType, char* pchAppKeyBuffer,
                                        uint32_t unAppKeyBufferLen) override;
  bool GetApplicationSupportedMimeTypes(const char* pchAppKey, char* pchMimeTypesBuffer,
                                        uint32_t unMimeTypesBuffer) override;
  uint32_t GetApplicationsThatSupportMimeType(const char* pchMimeType,
                                              char* pchAppKeysThatSupportBuffer,
                                              uint32_t unAppKeysThatSupportBuffer) override;
  uint32_t GetApplicationLaunchArguments(uint32_t unHandle, char* pchArgs,
                                         uint32_t unArgs) override;
  vr::EVRApplicationError GetStartingApplication(char* pchAppKeyBuffer,
                                                 uint32_t unAppKeyBufferLen) override;
  vr::EVRSceneApplicationState GetSceneApplicationState() override;
  vr::EVRApplicationError PerformApplicationPrelaunchCheck(const char* pchAppKey) override;
  const char* GetSceneApplicationStateNameFromEnum(vr::EVRSceneApplicationState state) override;
  vr::EVRApplicationError LaunchInternalProcess(const char* pchBinaryPath, const char* pchArguments,
                                                const char* pchWorkingDirectory) override;
  uint32_t GetCurrentSceneProcessId() override;

 private:
  // Keeps a changed list in the server, and writes it to the records.
  void remember() const;
  // Journals a call to a method the stand-in does not implement.
  void recordUnimplemented(const char* method);
  // The manifest path that registered the key, for a property call; or
  // the error that call answers.
  vr::EVRApplicationError findRegistration(const char* appKey, std::string* path) const;

  StateDirectory& state_;
  Faults faults_;
  // The permanent list as the server holds it, written to the records at
  // each change.
  Registry permanent_;
  // Registrations made with bTemporary: they end with the connection.
  Registry temporary_;
};

// Adds records as the runtime loads them: their flags, and each listed
// manifest it can read with the keys it declares. With a log folder, says
// so in the runtime's log as the runtime does at its start.
void addRecords(Registry& registry, const Records& records,
                const std::filesystem::path* log = nullptr);

// The enumerator's own name, as the runtime gives it, or null for a value
// the SDK does not define (so a test can hand a caller a missing text).
const char* applicationsErrorName(vr::EVRApplicationError error);

}  // namespace standin
