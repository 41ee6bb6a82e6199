# Tests of the colour values: splines, Bezier tables, curve sets, the "xml"
# settings format and colour differences.
vp_add_qtest(colour_values_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/values/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/values/spline1_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/values/bezier_lut_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/values/xml_settings_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/values/color_curve_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/values/color_difference_test.cpp
  LIBS colour colour_test_support)
target_compile_definitions(colour_values_tests PRIVATE
  VALUES_FIXTURE_DIR="${CMAKE_CURRENT_LIST_DIR}/values/fixtures")
