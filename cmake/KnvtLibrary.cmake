# One CMake library per source folder. Sources are picked up by glob so that adding a class needs no edit here.
function(knvt_add_library target folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       "${folder}/*.cpp" "${folder}/*.h")
  # A folder's main.cpp belongs to its program, not to its library.
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT sources)
    message(STATUS "${target}: no sources yet")
    return()
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${target} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
  target_compile_definitions(${target} PUBLIC
    KNVT_APP_ID="${KNVT_APP_ID}" KNVT_APP_BUILD="${KNVT_APP_BUILD}")
  if(KNVT_PCH)
    target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/cmake")
    target_precompile_headers(${target} PRIVATE <pch/Library.h>)
  endif()
endfunction()
