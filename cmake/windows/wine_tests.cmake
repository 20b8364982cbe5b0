# add_windows_test(TARGET SOURCE... [LIBRARIES LIBRARY...] [ON_A_TERMINAL FILTER]):
# a GoogleTest executable for Windows-only code, run under Wine in a private
# prefix of its own (scripts/with-wine-prefix). Without Wine it is built but
# not run. The tests FILTER matches need a console, which Wine makes only
# for a terminal: they run apart, on one that script(1) provides.
find_program(WINE_LOADER NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(NOT WINE_LOADER)
  message(STATUS "Wine not found: the Windows test executables are built but not run")
endif()

function(add_windows_test target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "ON_A_TERMINAL" "LIBRARIES")
  add_executable(${target} ${arg_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE ${arg_LIBRARIES} GTest::gtest_main vrenlist_warnings
    vrenlist_standalone)
  if(NOT WINE_LOADER)
    return()
  endif()
  set(run ${CMAKE_COMMAND} -E env WINE=${WINE_LOADER} ${PROJECT_SOURCE_DIR}/scripts/with-wine-prefix)
  if(arg_ON_A_TERMINAL)
    add_test(NAME ${target}_under_wine
      COMMAND ${run} ${WINE_LOADER} $<TARGET_FILE:${target}> --gtest_filter=-${arg_ON_A_TERMINAL})
    add_test(NAME ${target}_on_a_terminal_under_wine
      COMMAND ${run} script -qec
              "${WINE_LOADER} $<TARGET_FILE:${target}> --gtest_filter=${arg_ON_A_TERMINAL}" /dev/null)
  else()
    add_test(NAME ${target}_under_wine COMMAND ${run} ${WINE_LOADER} $<TARGET_FILE:${target}>)
  endif()
endfunction()
