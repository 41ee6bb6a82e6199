# Colour maths: conversions, adaptation and colour differences.
vp_add_gtest(engine_maths_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_colour_maths.cpp
  LIBS engine)
