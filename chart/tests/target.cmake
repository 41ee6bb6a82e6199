# Raw images, patches, the patch grid, targets and their measurement.
vp_add_qtest(chart_target_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/target/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target/test_rawimage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target/test_patchgrid.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target/test_target.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target/test_measure.cpp
  LIBS chart chart_test_support engine)
target_compile_definitions(chart_target_tests PRIVATE
  TARGET_FIXTURE_DIR="${CMAKE_CURRENT_LIST_DIR}/target/fixtures")
# The stages of saveForProfile.
target_include_directories(chart_target_tests PRIVATE ${PROJECT_SOURCE_DIR}/chart/src)
