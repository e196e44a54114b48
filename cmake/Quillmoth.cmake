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

# A fuzz build optimises all its code whatever the build type (sanitizers, coverage and
# assertions stay): at -O0 every inlined standard library call keeps its own coverage
# edges, so one record read hit some fifteen thousand features and libFuzzer's
# per-feature bookkeeping, not the reader, took most of the time.
if(QM_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_compile_options(-O2 -g -fno-omit-frame-pointer)
endif()

# qm_register_fuzzer(<target>): a libFuzzer program joins the `fuzzers` target, so that
# CI can build every fuzzer without building the rest of the tree with clang.
function(qm_register_fuzzer target)
  if(NOT TARGET fuzzers)
    add_custom_target(fuzzers)
  endif()
  add_dependencies(fuzzers ${target})
endfunction()

# qm_add_fuzzers(<label> SOURCES <library sources...> LIBS <libs...> [SEED_ROOT <dir>]
# [SEED_TARGETS <targets...>]): one libFuzzer program per fuzz/*.cpp of the calling folder
# (built only with clang and QM_FUZZ). The folder's sources are compiled once,
# instrumented, and shared by all its fuzzers; each fuzzer also gets a five-second CTest
# run (labels <label> and "fuzz") from its seeds in fuzz/corpus/<name> and, for seeds made
# at build time by SEED_TARGETS, in <SEED_ROOT>/<name>, writing what it finds to a scratch
# folder of the build tree.
function(qm_add_fuzzers label)
  if(NOT (QM_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
    return()
  endif()
  cmake_parse_arguments(ARG "" "SEED_ROOT" "SOURCES;LIBS;SEED_TARGETS" ${ARGN})
  file(GLOB fuzzers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/*.cpp)
  if(NOT fuzzers)
    return()
  endif()
  set(objects ${label}_fuzz_objects)
  add_library(${objects} OBJECT ${ARG_SOURCES})
  target_compile_options(${objects} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  target_link_libraries(${objects} PRIVATE ${ARG_LIBS})
  foreach(fuzzer IN LISTS fuzzers)
    get_filename_component(name ${fuzzer} NAME_WE)
    set(target ${label}_${name})
    add_executable(${target} ${fuzzer} $<TARGET_OBJECTS:${objects}>)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS})
    qm_register_fuzzer(${target})
    set(scratch ${CMAKE_CURRENT_BINARY_DIR}/fuzz_scratch/${name})
    set(seeds)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${name})
      set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${name})
    endif()
    if(ARG_SEED_ROOT)
      file(MAKE_DIRECTORY ${ARG_SEED_ROOT}/${name})
      list(APPEND seeds ${ARG_SEED_ROOT}/${name})
    endif()
    foreach(seedTarget IN LISTS ARG_SEED_TARGETS)
      add_dependencies(${target} ${seedTarget})
    endforeach()
    file(MAKE_DIRECTORY ${scratch})
    # A fixed seed keeps CI runs repeatable; findings land in the scratch folder.
    add_test(NAME ${target}_run
             COMMAND ${target} -max_total_time=5 -max_len=65536 -seed=1
                     -artifact_prefix=${scratch}/ ${scratch} ${seeds})
    set_tests_properties(${target}_run PROPERTIES LABELS "${label};fuzz"
      ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp")
  endforeach()
endfunction()
