# vp_add_gtest(NAME SOURCES files... LIBS libs...)
# A GoogleTest executable registered with CTest (one CTest entry per test case).
function(vp_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT VP_TESTS)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    VP_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VP_FIXTURE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/fixtures")
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# vp_add_qtest(NAME SOURCES files... LIBS libs...)
# A Qt Test executable registered with CTest.
function(vp_add_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT VP_TESTS)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt5::Test)
  target_compile_definitions(${name} PRIVATE
    VP_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VP_FIXTURE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/fixtures")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# vp_add_fuzzer(NAME SOURCES files... LIBS libs...)
# A libFuzzer target, built only with VP_FUZZ (clang). scripts/test.sh runs
# every target whose name starts with "fuzz_" for a fixed number of runs,
# seeded from the folder corpus/<name> beside the CMake fragment that declares it when there is one.
function(vp_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT VP_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY VP_FUZZERS "${name}=${CMAKE_CURRENT_LIST_DIR}/corpus/${name}")
  get_property(all GLOBAL PROPERTY VP_FUZZERS)
  string(REPLACE ";" "\n" lines "${all}")
  file(WRITE ${CMAKE_BINARY_DIR}/fuzzers.txt "${lines}\n")
endfunction()
