# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers that give every Velmo target the same include root and warnings.

# The address and undefined-behaviour sanitizers, for the sanitizer build
# (VELMO_SANITIZE) and the fuzzers.
set(VELMO_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                     -fno-omit-frame-pointer)

function(velmo_target_defaults target)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# A static library of the project: velmo_library(name SOURCES...). With
# VELMO_BUILD_FUZZERS also its fuzzing twin <name>_fuzz: the same sources
# with libFuzzer's coverage hooks and the sanitizers, linking what <name>
# links; built only for a fuzzer that links it.
function(velmo_library name)
  add_library(${name} STATIC ${ARGN})
  velmo_target_defaults(${name})
  if(VELMO_BUILD_FUZZERS)
    add_library(${name}_fuzz STATIC EXCLUDE_FROM_ALL ${ARGN})
    velmo_target_defaults(${name}_fuzz)
    target_compile_options(${name}_fuzz PRIVATE -fsanitize=fuzzer-no-link ${VELMO_SANITIZERS})
    target_link_libraries(${name}_fuzz PUBLIC $<TARGET_PROPERTY:${name},LINK_LIBRARIES>)
  endif()
endfunction()

# A program for users: built into the program folder (build/bin).
function(velmo_program name)
  add_executable(${name} ${ARGN})
  velmo_target_defaults(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VELMO_BIN_DIR})
endfunction()

# A GoogleTest executable registered with CTest:
# velmo_test(name SOURCES... LIBS...)
function(velmo_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  velmo_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/tests
    DISCOVERY_TIMEOUT 60)
  # gtest_discover_tests splits a list-valued ENVIRONMENT into separate
  # properties, so the environment is set by a script that ctest reads after
  # the discovered tests (their names are in ${name}_TESTS).
  set(environment "QT_QPA_PLATFORM=offscreen;VELMO_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;VELMO_BIN_DIR=${VELMO_BIN_DIR}")
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${script}
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT \"${environment}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
