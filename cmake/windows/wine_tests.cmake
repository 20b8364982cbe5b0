# add_windows_test(TARGET SOURCE... [LIBRARIES LIBRARY...]): a GoogleTest
# executable for Windows-only code, run under Wine in a private prefix of its
# own (scripts/with-wine-prefix). Without Wine it is built but not run.
find_program(WINE_LOADER NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(NOT WINE_LOADER)
  message(STATUS "Wine not found: the Windows test executables are built but not run")
endif()

function(add_windows_test target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LIBRARIES")
  add_executable(${target} ${arg_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE ${arg_LIBRARIES} GTest::gtest_main vrenlist_warnings
    vrenlist_standalone)
  if(WINE_LOADER)
    add_test(NAME ${target}_under_wine
      COMMAND ${CMAKE_COMMAND} -E env WINE=${WINE_LOADER}
              ${PROJECT_SOURCE_DIR}/scripts/with-wine-prefix ${WINE_LOADER} $<TARGET_FILE:${target}>)
  endif()
endfunction()
