# The Windows cross-build needs nlohmann-json (vrcheck, the stand-in and the
# test support) and GoogleTest, which Debian packages only for the build
# machine. Both can serve here:
# nlohmann-json is headers only, and GoogleTest ships its sources.

# Not /usr/include itself on the include path: its C library headers would
# shadow MinGW's. Only the library's own folder is linked into the build tree.
find_path(HOST_NLOHMANN_JSON_INCLUDE_DIR nlohmann/json.hpp
  PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH REQUIRED)
set(_host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${_host_headers})
file(CREATE_LINK ${HOST_NLOHMANN_JSON_INCLUDE_DIR}/nlohmann ${_host_headers}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${_host_headers})

if(VRENLIST_BUILD_TESTS)
  set(HOST_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${HOST_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
