# Chart corner finder and synthetic target image.
vp_add_gtest(engine_finder_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/finder/test_chart_finder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/finder/test_target_image.cpp
  LIBS engine engine_test_support TIFF::TIFF Eigen3::Eigen)
