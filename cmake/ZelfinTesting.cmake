# The time limits of the tests, all in this one file, and the two ways tests are registered.
# Every test carries a TIMEOUT, so that a test that hangs fails alone, with its name, instead of
# stopping the run. The limits are several times a test's normal time on a loaded 2-core machine.

# One test of a native build (a GoogleTest case, a program run, a static check of a binary).
set(ZELFIN_TEST_TIMEOUT 120)
# Under Wine every test starts a Windows process, which on a busy machine takes seconds.
set(ZELFIN_WINE_TEST_TIMEOUT 300)
# The fixed-seed fuzzing run, which caps itself at ZELFIN_FUZZ_SECONDS.
set(ZELFIN_FUZZ_TEST_TIMEOUT 300)
# A test that builds the project anew from a fresh clone.
set(ZELFIN_SLOW_TEST_TIMEOUT 1800)
# How long a test program may take to list its GoogleTest cases (a Wine start included).
set(ZELFIN_TEST_DISCOVERY_TIMEOUT 120)

if(CMAKE_CROSSCOMPILING_EMULATOR)
  set(ZELFIN_DEFAULT_TEST_TIMEOUT ${ZELFIN_WINE_TEST_TIMEOUT})
else()
  set(ZELFIN_DEFAULT_TEST_TIMEOUT ${ZELFIN_TEST_TIMEOUT})
endif()

# zelfin_add_test(NAME name COMMAND ... [TIMEOUT seconds] [PROPERTIES ...]): add_test with the
# default limit of this build, or the one given.
function(zelfin_add_test)
  cmake_parse_arguments(PARSE_ARGV 0 T "" "NAME;TIMEOUT" "COMMAND;PROPERTIES")
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT ${ZELFIN_DEFAULT_TEST_TIMEOUT})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} ${T_PROPERTIES})
endfunction()

# zelfin_discover_tests(target [TEST_PREFIX prefix] [PROPERTIES ...]): one CTest test per
# GoogleTest case of `target`, listed when the tests run, each with the default limit of this build
# unless PROPERTIES names a TIMEOUT of its own.
function(zelfin_discover_tests target)
  cmake_parse_arguments(PARSE_ARGV 1 T "" "TEST_PREFIX" "PROPERTIES")
  include(GoogleTest)
  set(prefix)
  if(T_TEST_PREFIX)
    set(prefix TEST_PREFIX ${T_TEST_PREFIX})
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT ${ZELFIN_TEST_DISCOVERY_TIMEOUT} ${prefix}
    PROPERTIES TIMEOUT ${ZELFIN_DEFAULT_TEST_TIMEOUT} ${T_PROPERTIES})
endfunction()

# zelfin_discover_windows_file_tests(target): the GoogleTest cases of `target` once for each
# built Windows file the build names (ZELFIN_WINDOWS_PLUGIN_X64, _ARM64), with the file's path in
# ZELFIN_WINDOWS_AEX, the prefix windows-file.x64. or windows-file.arm64., and the label
# windows-file-x64 or windows-file-arm64.
function(zelfin_discover_windows_file_tests target)
  foreach(arch x64 arm64)
    string(TOUPPER ${arch} ARCH)
    if(ZELFIN_WINDOWS_PLUGIN_${ARCH})
      zelfin_discover_tests(${target} TEST_PREFIX "windows-file.${arch}."
        PROPERTIES LABELS windows-file-${arch}
          ENVIRONMENT "ZELFIN_WINDOWS_AEX=${ZELFIN_WINDOWS_PLUGIN_${ARCH}}")
    endif()
  endforeach()
endfunction()
