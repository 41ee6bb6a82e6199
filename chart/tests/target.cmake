find_package(Qt5 5.15 REQUIRED COMPONENTS Test)

vp_add_qtest(chart_target_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/target/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target/TestSuites.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target/test_rawimage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target/test_patchgrid.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target/test_target.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target/test_measure.cpp
  LIBS chart engine)
if(TARGET chart_target_tests)
  target_compile_definitions(chart_target_tests PRIVATE
    TARGET_FIXTURE_DIR="${CMAKE_CURRENT_LIST_DIR}/target/fixtures")
  # The stages of saveForProfile.
  target_include_directories(chart_target_tests PRIVATE ${PROJECT_SOURCE_DIR}/chart/src)
endif()
