find_package(Qt5 5.15 REQUIRED COMPONENTS Test)

vp_add_qtest(chart_target_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/target/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target/TestSuites.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target/test_rawimage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target/test_patchgrid.cpp
  LIBS chart)
