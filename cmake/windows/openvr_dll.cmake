# The SDK's own openvr_api.dll, which the Windows tools load at start. It is
# laid beside them in the build (bin/, where the tests run them too), with
# the SDK's licence as openvr_api.LICENSE.txt; Packaging.cmake puts both in
# the archive.
include(OpenVRKept)
openvr_loader(OPENVR_DLL bin/win64/openvr_api.dll 0ba4d3049449403e1966cf8922ac5c2e6130fabe72c0cc6b3218da82f9110ac9)

# Copied when CMake configures, so that every target that runs a tool finds
# it; its licence goes with it wherever it is shipped.
file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
configure_file("${OPENVR_DLL}" ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/openvr_api.dll COPYONLY)
configure_file("${OPENVR_LOADER_LICENSE}" ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/openvr_api.LICENSE.txt COPYONLY)
