# Tests of profiles, matches, worlds, images, folders and discovery.
vp_add_qtest(colour_cms_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/cms/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cms/cms_test_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cms/library_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cms/profile_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cms/match_test.cpp
  LIBS colour colour_test_support engine_test_support PkgConfig::LCMS2)
# The bench's measurement sets: a linear camera's chart for the image road.
target_compile_definitions(colour_cms_tests PRIVATE VP_BENCH_DATA="${VP_BENCH_DATA_DIR}")
