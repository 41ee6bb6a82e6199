# The fragments of a subsystem, all in one pattern:
#   src/<area>/sources.cmake    adds the area's sources to the subsystem's library
#   tests/support/sources.cmake the subsystem's test-support library, which
#                               tests and benchmarks link (built without VP_TESTS too)
#   tests/<area>.cmake          the area's test executables (VP_TESTS)
#   fuzz/<area>.cmake           the area's fuzz targets (VP_FUZZ)
#
# vp_add_areas([SUPPORT] SOURCES areas... TESTS areas... FUZZ areas...)
# Includes each named fragment; a missing one stops the configuration.
macro(vp_add_areas)
  cmake_parse_arguments(VP_AREAS "SUPPORT" "" "SOURCES;TESTS;FUZZ" ${ARGN})
  foreach(vp_area IN LISTS VP_AREAS_SOURCES)
    include(${CMAKE_CURRENT_SOURCE_DIR}/src/${vp_area}/sources.cmake)
  endforeach()
  if(VP_AREAS_SUPPORT)
    include(${CMAKE_CURRENT_SOURCE_DIR}/tests/support/sources.cmake)
  endif()
  if(VP_TESTS)
    foreach(vp_area IN LISTS VP_AREAS_TESTS)
      include(${CMAKE_CURRENT_SOURCE_DIR}/tests/${vp_area}.cmake)
    endforeach()
  endif()
  if(VP_FUZZ)
    foreach(vp_area IN LISTS VP_AREAS_FUZZ)
      include(${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${vp_area}.cmake)
    endforeach()
  endif()
endmacro()

# The environment of every CTest entry: no display, the one leak suppression
# file of the project (VP_LSAN_SUPPRESSIONS), which the test command names too,
# and in a ThreadSanitizer build its suppressions (VP_TSAN_SUPPRESSIONS).
function(vp_test_environment out)
  if(NOT VP_LSAN_SUPPRESSIONS)
    message(FATAL_ERROR "VP_LSAN_SUPPRESSIONS names no file")
  endif()
  set(environment "QT_QPA_PLATFORM=offscreen"
    "LSAN_OPTIONS=suppressions=${VP_LSAN_SUPPRESSIONS}:print_suppressions=0")
  if(VP_SANITIZE_KIND STREQUAL "thread")
    list(APPEND environment
      "TSAN_OPTIONS=suppressions=${VP_TSAN_SUPPRESSIONS}:ignore_noninstrumented_modules=1:halt_on_error=1:second_deadlock_stack=1")
  endif()
  set(${out} "${environment}" PARENT_SCOPE)
endfunction()

# vp_add_test(NAME COMMAND command args...)
# A CTest entry that runs a program once (benchmark smoke runs).
function(vp_add_test name)
  cmake_parse_arguments(ARG "" "" "COMMAND" ${ARGN})
  add_test(NAME ${name} COMMAND ${ARG_COMMAND})
  vp_test_environment(environment)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}")
endfunction()

# vp_add_gtest(NAME SOURCES files... LIBS libs...)
# A GoogleTest executable registered with CTest (one CTest entry per test case).
function(vp_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  include(GoogleTest)
  vp_test_environment(environment)
  # Parameterised suites name their cases; the printed parameter stays out
  # of the CTest name.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
    PROPERTIES ENVIRONMENT "${environment}")
endfunction()

# vp_add_qtest(NAME SOURCES files... LIBS libs...)
# A Qt Test executable registered with CTest. Several test classes in one
# program run through the suite runner of colour_test_support.
function(vp_add_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt5::Test)
  vp_add_test(${name} COMMAND ${name})
endfunction()

# vp_add_fuzzer(NAME SOURCES files... LIBS libs...)
# A libFuzzer target (VP_FUZZ, clang). scripts/test.sh runs every target whose
# name starts with "fuzz_" for a fixed number of runs, seeded from the folder
# corpus/<name> beside the fragment that declares it when there is one.
function(vp_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY VP_FUZZERS "${name}=${CMAKE_CURRENT_LIST_DIR}/corpus/${name}")
  get_property(all GLOBAL PROPERTY VP_FUZZERS)
  string(REPLACE ";" "\n" lines "${all}")
  file(WRITE ${CMAKE_BINARY_DIR}/fuzzers.txt "${lines}\n")
endfunction()

# The targets defined in a folder and the folders below it.
function(vp_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    vp_targets_below(${sub} below)
    list(APPEND targets ${below})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# vp_check_every_source_built(folders...)
# Stops the configuration when a C or C++ source of the given folders belongs
# to no target: a fragment that is not included, or a file left out of its
# list, would otherwise drop code without a word. Test and fuzz sources are
# checked in the builds that make them.
function(vp_check_every_source_built)
  vp_targets_below(${PROJECT_SOURCE_DIR} targets)
  set(built "")
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      continue()
    endif()
    get_target_property(dir ${t} SOURCE_DIR)
    get_target_property(sources ${t} SOURCES)
    foreach(s IN LISTS sources)
      get_filename_component(abs ${s} ABSOLUTE BASE_DIR ${dir})
      list(APPEND built ${abs})
    endforeach()
  endforeach()

  set(missing "")
  foreach(folder IN LISTS ARGN)
    set(root ${PROJECT_SOURCE_DIR}/${folder})
    file(GLOB_RECURSE files LIST_DIRECTORIES false ${root}/*.cpp ${root}/*.c)
    foreach(f IN LISTS files)
      file(RELATIVE_PATH rel ${root} ${f})
      # Without tests, tests/ folders are not checked (a test-support library
      # that a benchmark needs is built either way and fails the link if not).
      if(NOT VP_TESTS AND rel MATCHES "(^|/)tests/")
        continue()
      endif()
      if(NOT VP_FUZZ AND rel MATCHES "(^|/)fuzz/")
        continue()
      endif()
      if(rel MATCHES "/corpus/|/fixtures/")
        continue()
      endif()
      list(FIND built ${f} at)
      if(at EQUAL -1)
        list(APPEND missing ${folder}/${rel})
      endif()
    endforeach()
  endforeach()
  if(missing)
    list(JOIN missing "\n  " text)
    message(FATAL_ERROR "Sources that no target builds:\n  ${text}")
  endif()
endfunction()
