# vexilor_add_gtest(<target> LABELS <label>... [TIMEOUT <s>]): a GoogleTest program's tests for ctest.
# Natively each test is its own ctest test; a cross-built program runs as one test under the
# emulator, since starting one Windows process per test case would cost more than the tests.
function(vexilor_add_gtest target)
  cmake_parse_arguments(arg "" "TIMEOUT" "LABELS" ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES LABELS "${arg_LABELS}" TIMEOUT 900)
  elseif(arg_TIMEOUT)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${arg_LABELS}" TIMEOUT ${arg_TIMEOUT})
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${arg_LABELS}")
  endif()
endfunction()

# vexilor_test_path(<var> <path>): <path> as a test program sees it (with the drive under Wine).
function(vexilor_test_path var path)
  set(${var} "${VEXILOR_TEST_DRIVE}${path}" PARENT_SCOPE)
endfunction()
