# Colour science: spectra, the colorimetric context, colours and illuminants.
vp_add_qtest(chart_science_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/science/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/science/test_spectrum.cpp
    ${CMAKE_CURRENT_LIST_DIR}/science/test_context.cpp
    ${CMAKE_CURRENT_LIST_DIR}/science/test_colour.cpp
    ${CMAKE_CURRENT_LIST_DIR}/science/test_illuminant.cpp
  LIBS chart chart_test_support)
target_compile_definitions(chart_science_tests PRIVATE
  CHART_SCIENCE_FIXTURES="${CMAKE_CURRENT_LIST_DIR}/science/fixtures")
