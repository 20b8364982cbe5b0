# The portable archive's build (VRENLIST_PORTABLE): the tools link the SDK's
# own libopenvr_api.so and find it in ../lib beside them, wherever the
# archive is unpacked. The C++ runtime stays the system's: linked statically,
# Debian 12's libstdc++ and libgcc_eh would pull in symbols of glibc 2.35
# and 2.36, newer than many distributions the archive is for.
include(OpenVRKept)
openvr_loader(OPENVR_SHARED_LIBRARY bin/linux64/libopenvr_api.so ec62da9ee66ab8a275dad978ee4d5a215bc2f646f135471e0faef025aca026a3)
# FindOpenVR then links it by name (it has no SONAME): see there.
set(OpenVR_LIBRARY "${OPENVR_SHARED_LIBRARY}" CACHE FILEPATH "The OpenVR loader library" FORCE)

# RUNPATH, not RPATH: LD_LIBRARY_PATH still wins, as a user expects, and a
# system library of the same name never does. Relative, so that any folder
# works, spaces and all.
set(CMAKE_INSTALL_RPATH "$ORIGIN/../lib")
set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)
add_link_options(LINKER:--enable-new-dtags LINKER:--as-needed)

# The build tree is laid out as the archive is, so its tools run in place.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
configure_file("${OPENVR_SHARED_LIBRARY}" ${PROJECT_BINARY_DIR}/lib/libopenvr_api.so COPYONLY)
