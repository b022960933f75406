# Helpers that give every Velmo target the same include root and warnings.

function(velmo_target_defaults target)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# A static library of the project: velmo_library(name SOURCES...)
function(velmo_library name)
  add_library(${name} STATIC ${ARGN})
  velmo_target_defaults(${name})
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
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  velmo_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELMO_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;VELMO_BIN_DIR=${VELMO_BIN_DIR}"
    DISCOVERY_TIMEOUT 60)
endfunction()
