include(GoogleTest)

# The one skip rule: a test whose tool is missing says "skipped: <tool> is not
# installed" and is counted as skipped, never failed. GoogleTest's GTEST_SKIP
# (TURNFAN_SKIP_IF in tests/support/expect.h) prints the first; a script exits 77.
set(TURNFAN_SKIPPED_GTEST "\\[  SKIPPED \\]")
set(TURNFAN_SKIP_RETURN_CODE 77)

# turnfan_test(<name> SOURCES ... [LIBS ...] [LABELS ...] [FILTER ...])
# One GoogleTest binary; each test case becomes its own CTest test (FILTER: only
# those that --gtest_filter names). On Windows, where it runs under Wine, only
# the unit tests, one CTest test a binary.
function(turnfan_test name)
  cmake_parse_arguments(T "" "FILTER" "SOURCES;LIBS;LABELS" ${ARGN})
  if(WIN32 AND NOT T_LABELS STREQUAL "unit")
    return() # the others need X
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  if(WIN32)
    add_test(NAME windows.${name} COMMAND ${name})
    wine_test(windows.${name})
    return()
  endif()
  gtest_discover_tests(${name} TEST_FILTER "${T_FILTER}" DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABELS}" TIMEOUT 240 SKIP_REGULAR_EXPRESSION "${TURNFAN_SKIPPED_GTEST}")
endfunction()
