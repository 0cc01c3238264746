# knvt_add_test(target LABEL label DIRECTORY dir LIBS ... [ENVIRONMENT VAR=value ...] [RESOURCE_LOCK name])
# Every test executable links the shared test main, which gives each process fresh XDG folders, the offscreen Qt
# platform, en_US and a fixed time zone unless the environment already says otherwise. Each GoogleTest case becomes a
# CTest test of its own so that `ctest -j` spreads them over the cores; a skipped case is reported as skipped. Tests
# that hold one thing of the machine (a name on the session bus) name it as RESOURCE_LOCK and run one at a time.
function(knvt_add_test target)
  cmake_parse_arguments(ARG "" "LABEL;DIRECTORY;RESOURCE_LOCK" "LIBS;ENVIRONMENT" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${ARG_DIRECTORY}/*.cpp" "${ARG_DIRECTORY}/*.h")
  if(NOT sources)
    return()
  endif()
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE knvt_test_support ${ARG_LIBS})
  # The printers reach every file: through the precompiled header when there is one, else included by force.
  if(KNVT_PCH)
    target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/cmake")
    target_precompile_headers(${target} PRIVATE <pch/Test.h>)
  else()
    target_compile_options(${target} PRIVATE -include "${PROJECT_SOURCE_DIR}/tests/support/QtPrinters.h")
  endif()
  if(ARG_RESOURCE_LOCK)
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS "${ARG_LABEL}" SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]" TIMEOUT 300
                 RESOURCE_LOCK "${ARG_RESOURCE_LOCK}" ENVIRONMENT "${ARG_ENVIRONMENT}")
  else()
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS "${ARG_LABEL}" SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]" TIMEOUT 300
                 ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
endfunction()
