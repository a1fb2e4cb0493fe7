include(GoogleTest)

# Where a test program finds the source tree's test data. Windows programs
# run under Wine, which shows the Unix root as drive Z:.
if(WIN32)
  string(REPLACE "/" "\\\\" _native_source "${CMAKE_SOURCE_DIR}")
  set(VESKARO_TEST_SOURCE_DIR "Z:${_native_source}")
else()
  set(VESKARO_TEST_SOURCE_DIR "${CMAKE_SOURCE_DIR}")
endif()

# A GoogleTest program. Natively each test case is its own ctest test; under
# Wine a program start costs most of a second, so each program is one test.
function(veskaro_add_gtest target)
  target_compile_definitions(${target} PRIVATE
    VESKARO_SOURCE_DIR="${VESKARO_TEST_SOURCE_DIR}")
  if(WIN32)
    add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
