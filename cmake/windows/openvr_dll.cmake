# The SDK's own openvr_api.dll, which the Windows tools load at start. It is
# laid beside them in the build (bin/, where the tests run them too), with
# the SDK's licence as openvr_api.LICENSE.txt; Packaging.cmake puts both in
# the archive.
#
# It comes from OPENVR_ROOT when that SDK has one, else from the copy kept
# in third_party/, whose bytes are checked here: the build must never lay
# out or ship a DLL other than the one the SDK's release holds.

set(_openvr_kept ${PROJECT_SOURCE_DIR}/third_party/openvr-1.23.7)
# bin/win64/openvr_api.dll of the SDK's release 1.23.7 (its README says where from).
set(_openvr_kept_sha256 0ba4d3049449403e1966cf8922ac5c2e6130fabe72c0cc6b3218da82f9110ac9)

if(OPENVR_ROOT AND EXISTS "${OPENVR_ROOT}/bin/win64/openvr_api.dll")
  set(OPENVR_DLL "${OPENVR_ROOT}/bin/win64/openvr_api.dll")
else()
  set(OPENVR_DLL "${_openvr_kept}/bin/win64/openvr_api.dll")
  file(SHA256 "${OPENVR_DLL}" _openvr_sha256)
  if(NOT _openvr_sha256 STREQUAL _openvr_kept_sha256)
    message(FATAL_ERROR "${OPENVR_DLL} is not the OpenVR SDK 1.23.7's openvr_api.dll: its SHA-256 "
                        "is ${_openvr_sha256}, not ${_openvr_kept_sha256}. Restore it from the "
                        "SDK's release (see its README).")
  endif()
endif()

# Every SDK release carries the same BSD licence; a package manager's tree
# may not hold it.
set(OPENVR_DLL_LICENSE "${_openvr_kept}/LICENSE")
if(OPENVR_ROOT AND EXISTS "${OPENVR_ROOT}/LICENSE")
  set(OPENVR_DLL_LICENSE "${OPENVR_ROOT}/LICENSE")
endif()

# Copied when CMake configures, so that every target that runs a tool finds
# it; its licence goes with it wherever it is shipped.
file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
configure_file("${OPENVR_DLL}" ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/openvr_api.dll COPYONLY)
configure_file("${OPENVR_DLL_LICENSE}" ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/openvr_api.LICENSE.txt COPYONLY)
