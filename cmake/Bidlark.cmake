# Helper functions shared by every folder: one call per library, test, benchmark or fuzz target, so
# that each folder's CMakeLists.txt lists only its own sources and what it links.

# bidlark_add_library(NAME [STATIC|SHARED|MODULE] SOURCES ... [PUBLIC_DEPS ...] [PRIVATE_DEPS ...])
# Headers are included from the repository root ("platform/registry/registry.h").
function(bidlark_add_library name)
  cmake_parse_arguments(ARG "STATIC;SHARED;MODULE" "" "SOURCES;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
  set(kind STATIC)
  if(ARG_SHARED)
    set(kind SHARED)
  elseif(ARG_MODULE)
    set(kind MODULE)
  endif()
  add_library(${name} ${kind} ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# bidlark_add_component(NAME SOURCES ... [DEPS ...])
# An in-process component server: a shared library that exports only its Dll* entry points and
# finds libplatform next to itself.
function(bidlark_add_component name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE platform ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    PREFIX "lib")
endfunction()

# The launcher gives every test process its own HOME, XDG folders and registry folder, and the
# offscreen Qt platform, so no test can touch the user's files or open a window on a display. The
# generated wrapper adds where the sources and the built programs are.
set(BIDLARK_TEST_LAUNCHER ${PROJECT_BINARY_DIR}/run-test.sh CACHE INTERNAL "")
file(CONFIGURE OUTPUT ${BIDLARK_TEST_LAUNCHER} CONTENT [=[#!/usr/bin/env bash
export BIDLARK_SOURCE_DIR="@PROJECT_SOURCE_DIR@"
export BIDLARK_BIN_DIR="@PROJECT_BINARY_DIR@/bin"
exec "@PROJECT_SOURCE_DIR@/cmake/run-test.sh" "$@"
]=] @ONLY)
file(CHMOD ${BIDLARK_TEST_LAUNCHER} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# bidlark_add_test(NAME SOURCES ... [DEPS ...] [TIMEOUT seconds])
function(bidlark_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR ${BIDLARK_TEST_LAUNCHER})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS ${name})
endfunction()

# bidlark_add_benchmark(NAME SOURCES ... [DEPS ...])
function(bidlark_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)
endfunction()

# bidlark_add_fuzzer(NAME SOURCES ... [DEPS ...] CORPUS dir-or-file ...)
# With BIDLARK_FUZZ the target is a libFuzzer program. In every other build it is linked with a small
# replay driver and registered as a test that runs each file of the seed corpus once, so that a
# regression on a known input shows up in the normal test run.
function(bidlark_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;CORPUS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fuzz)
  if(BIDLARK_FUZZ)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
    add_test(NAME ${name}.replay
      COMMAND ${BIDLARK_TEST_LAUNCHER} $<TARGET_FILE:${name}> ${ARG_CORPUS})
    set_tests_properties(${name}.replay PROPERTIES TIMEOUT 120 LABELS fuzz-replay)
  endif()
endfunction()
