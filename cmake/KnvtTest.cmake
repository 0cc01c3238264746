# Settings every translation unit of the tests shares: the printers of Qt values reach every file (through the tests'
# precompiled header when there is one, else included by force), so that GoogleTest prints a QString alike in every
# file that compares one.
# The test support library, the first of them, compiles the tests' precompiled header.
function(knvt_compile_as_test target)
  if(KNVT_PCH)
    get_property(owner GLOBAL PROPERTY KNVT_PCH_OWNER_test)
    if(owner)
      knvt_use_precompiled_header(${target} test)
    else()
      knvt_precompile_header(${target} test pch/Test.h)
    endif()
  else()
    target_compile_options(${target} PRIVATE -include "${PROJECT_SOURCE_DIR}/tests/support/QtPrinters.h")
  endif()
endfunction()

# knvt_add_test(target LABEL label DIRECTORY dir LIBS ... [EXCLUDE regex] [ENVIRONMENT VAR=value ...]
#               [RESOURCE_LOCK name])
# Every test executable links the shared test main, which gives each process fresh XDG folders, the offscreen Qt
# platform, en_US and a fixed time zone unless the environment already says otherwise. Each GoogleTest case becomes a
# CTest test of its own so that `ctest -j` spreads them over the cores; a skipped case is reported as skipped. Tests
# that hold one thing of the machine (a name on the session bus) name it as RESOURCE_LOCK and run one at a time.
# Files of the folder matching EXCLUDE are left out: they belong to a library the test links, compiled once.
function(knvt_add_test target)
  cmake_parse_arguments(ARG "" "LABEL;DIRECTORY;RESOURCE_LOCK;EXCLUDE" "LIBS;ENVIRONMENT" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${ARG_DIRECTORY}/*.cpp" "${ARG_DIRECTORY}/*.h")
  if(ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${ARG_EXCLUDE}")
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE knvt_test_support ${ARG_LIBS})
  knvt_compile_as_test(${target})
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
