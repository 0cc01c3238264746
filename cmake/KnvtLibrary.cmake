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
  if("Qt6::Widgets" IN_LIST ARG_DEPENDS)
    knvt_use_precompiled_header(${target} widgets)
  else()
    knvt_use_precompiled_header(${target} library)
  endif()
endfunction()

# Precompiled headers, one of each kind for the whole tree: the libraries' (kind `library`), the libraries' with the
# widgets (`widgets`) and the tests' (`test`, compiled by the test support library). Every target of a kind reuses the
# one compiled header, so that a build compiles three headers rather than one per target and its tree stays small. The
# compiler takes a reused header only where every macro defined when it was compiled is defined alike (else it warns
# through -Winvalid-pch and reads the text), so a kind's header is compiled by a target of its own with no more than
# the Qt modules of the kind, which every user of the kind links. The header is named through an include path rather
# than by its place in the clone, so that its compiled form, and every file compiled with it, hits the compiler cache
# from one clone to the next (CCACHE_SLOPPINESS in CMakeLists.txt carries pch_defines and time_macros for them).
function(knvt_add_precompiled_header kind header)
  if(NOT KNVT_PCH)
    return()
  endif()
  set(source "${PROJECT_BINARY_DIR}/knvt_pch_${kind}.cpp")
  file(CONFIGURE OUTPUT "${source}" CONTENT "// Compiles the precompiled header ${header}.\n")
  add_library(knvt_pch_${kind} OBJECT "${source}")
  target_link_libraries(knvt_pch_${kind} PRIVATE ${ARGN})
  # Every target compiles with -pthread (the foundation's GLib flags pass it on), which defines _REENTRANT.
  target_compile_options(knvt_pch_${kind} PRIVATE -pthread)
  knvt_precompile_header(knvt_pch_${kind} ${kind} ${header})
endfunction()

# Makes `target` compile the header of `kind`, which every later user of the kind reuses.
function(knvt_precompile_header target kind header)
  if(KNVT_PCH)
    set_property(GLOBAL PROPERTY KNVT_PCH_OWNER_${kind} ${target})
    target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/cmake")
    target_precompile_headers(${target} PRIVATE <${header}>)
  endif()
endfunction()

function(knvt_use_precompiled_header target kind)
  if(KNVT_PCH)
    get_property(owner GLOBAL PROPERTY KNVT_PCH_OWNER_${kind})
    if(NOT owner)
      message(FATAL_ERROR "${target}: no precompiled header of the kind ${kind}")
    endif()
    target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/cmake")
    target_precompile_headers(${target} REUSE_FROM ${owner})
  endif()
endfunction()
