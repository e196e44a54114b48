# Shared build helpers for every subsystem folder.

# qm_folder_sources(<out-var>): the .cpp files of the calling folder (not its tests).
function(qm_folder_sources out)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  list(FILTER srcs EXCLUDE REGEX "/tests/")
  list(FILTER srcs EXCLUDE REGEX "/fuzz/")
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

# qm_add_tests(<label> LIBS <libs...>): one GoogleTest executable from tests/*.cpp,
# every case registered with CTest under the folder's label.
function(qm_add_tests label)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(NOT tests)
    return()
  endif()
  string(REPLACE "/" "_" exe "${label}_tests")
  add_executable(${exe} ${tests})
  target_link_libraries(${exe} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_include_directories(${exe} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  target_compile_definitions(${exe} PRIVATE QM_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/tests")
  gtest_discover_tests(${exe}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS ${label}
    DISCOVERY_TIMEOUT 60)
endfunction()
include(${CMAKE_CURRENT_LIST_DIR}/EmbedResources.cmake)

# qm_register_fuzzer(<target>): a libFuzzer program joins the `fuzzers` target, so that
# CI can build every fuzzer without building the rest of the tree with clang.
function(qm_register_fuzzer target)
  if(NOT TARGET fuzzers)
    add_custom_target(fuzzers)
  endif()
  add_dependencies(fuzzers ${target})
endfunction()
