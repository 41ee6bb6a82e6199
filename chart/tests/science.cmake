find_package(Qt5 5.15 REQUIRED COMPONENTS Test)

vp_add_qtest(chart_science_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/science/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/science/test_spectrum.cpp
    ${CMAKE_CURRENT_LIST_DIR}/science/test_context.cpp
    ${CMAKE_CURRENT_LIST_DIR}/science/test_colour.cpp
    ${CMAKE_CURRENT_LIST_DIR}/science/test_illuminant.cpp
  LIBS chart)
if(TARGET chart_science_tests)
  target_compile_definitions(chart_science_tests PRIVATE
    CHART_SCIENCE_FIXTURES="${CMAKE_CURRENT_LIST_DIR}/science/fixtures")
endif()
