# add_wine_test(NAME TARGET): runs a Windows test executable under Wine, in a
# private prefix of its own (scripts/with-wine-prefix). Without Wine the
# executable is built but not run.
find_program(WINE_LOADER NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(NOT WINE_LOADER)
  message(STATUS "Wine not found: the Windows test executables are built but not run")
endif()

function(add_wine_test name target)
  if(WINE_LOADER)
    add_test(NAME ${name}
      COMMAND ${CMAKE_COMMAND} -E env WINE=${WINE_LOADER}
              ${PROJECT_SOURCE_DIR}/scripts/with-wine-prefix ${WINE_LOADER} $<TARGET_FILE:${target}>)
  endif()
endfunction()
