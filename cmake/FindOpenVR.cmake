# Finds the OpenVR SDK and defines the imported target OpenVR::openvr_api.
#
# pkg-config's "openvr" module is tried first (Linux distributions). Where it
# is missing (Windows, an SDK unpacked by hand), the header and library are
# searched under OPENVR_ROOT: the SDK's own layout (headers/, lib/win64/,
# lib/linux64/) and a package manager's (include/openvr/, lib/) both work.
#
# With MinGW, OPENVR_DEF_FILE instead makes the import library from a .def
# file with dlltool, for cross-builds that have the header but no Windows
# library (give the header's directory as OpenVR_INCLUDE_DIR).

set(OPENVR_ROOT "" CACHE PATH "Root of an OpenVR SDK or of a package manager's install of it")
set(OPENVR_DEF_FILE "" CACHE FILEPATH "MinGW only: make the openvr_api import library from this .def file")

if(OPENVR_DEF_FILE AND MINGW AND NOT OpenVR_LIBRARY)
  string(REGEX REPLACE "g(cc|\\+\\+)(-posix|-win32)?$" "dlltool" _openvr_dlltool_name
    "${CMAKE_CXX_COMPILER}")
  find_program(OPENVR_DLLTOOL NAMES ${_openvr_dlltool_name} dlltool REQUIRED)
  set(_openvr_implib "${CMAKE_BINARY_DIR}/openvr-import/libopenvr_api.dll.a")
  file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/openvr-import")
  execute_process(
    COMMAND "${OPENVR_DLLTOOL}" --input-def "${OPENVR_DEF_FILE}" --output-lib "${_openvr_implib}"
            --dllname openvr_api.dll
    RESULT_VARIABLE _openvr_dlltool_result)
  if(_openvr_dlltool_result EQUAL 0)
    set(OpenVR_LIBRARY "${_openvr_implib}" CACHE FILEPATH "openvr_api import library" FORCE)
  endif()
endif()

find_package(PkgConfig QUIET)
if(PkgConfig_FOUND AND NOT OPENVR_ROOT)
  pkg_check_modules(PC_OPENVR QUIET openvr)
endif()

find_path(OpenVR_INCLUDE_DIR
  NAMES openvr.h
  HINTS ${PC_OPENVR_INCLUDE_DIRS} ${OPENVR_ROOT}
  PATH_SUFFIXES headers include/openvr include openvr)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_openvr_arch 64)
else()
  set(_openvr_arch 32)
endif()
if(WIN32)
  set(_openvr_platform win${_openvr_arch})
elseif(APPLE)
  set(_openvr_platform osx32)
else()
  set(_openvr_platform linux${_openvr_arch})
endif()

find_library(OpenVR_LIBRARY
  NAMES openvr_api
  HINTS ${PC_OPENVR_LIBRARY_DIRS} ${OPENVR_ROOT}
  PATH_SUFFIXES lib/${_openvr_platform} lib bin/${_openvr_platform})

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(OpenVR
  REQUIRED_VARS OpenVR_LIBRARY OpenVR_INCLUDE_DIR
  VERSION_VAR PC_OPENVR_VERSION)

# The SDK's own libopenvr_api.so has no SONAME. Linked by its path, such a
# library is needed by that whole path, which exists only on the build
# machine; linked by name, it is needed as libopenvr_api.so.
set(_openvr_soname ON)
if(OpenVR_FOUND AND NOT WIN32 AND OpenVR_LIBRARY MATCHES "\\.so$" AND CMAKE_OBJDUMP)
  execute_process(COMMAND "${CMAKE_OBJDUMP}" -p "${OpenVR_LIBRARY}"
    OUTPUT_VARIABLE _openvr_dynamic ERROR_QUIET)
  if(NOT _openvr_dynamic MATCHES "SONAME")
    set(_openvr_soname OFF)
  endif()
endif()

if(OpenVR_FOUND AND NOT TARGET OpenVR::openvr_api)
  if(_openvr_soname)
    add_library(OpenVR::openvr_api UNKNOWN IMPORTED)
  else()
    add_library(OpenVR::openvr_api SHARED IMPORTED)
    set_target_properties(OpenVR::openvr_api PROPERTIES IMPORTED_NO_SONAME TRUE)
  endif()
  set_target_properties(OpenVR::openvr_api PROPERTIES
    IMPORTED_LOCATION "${OpenVR_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${OpenVR_INCLUDE_DIR}")
  if(CMAKE_DL_LIBS)
    set_property(TARGET OpenVR::openvr_api APPEND PROPERTY INTERFACE_LINK_LIBRARIES ${CMAKE_DL_LIBS})
  endif()
endif()
mark_as_advanced(OpenVR_INCLUDE_DIR OpenVR_LIBRARY)
