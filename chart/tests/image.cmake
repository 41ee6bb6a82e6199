# Image loading: TIFF, raw and JPEG files, metadata and the load worker.
vp_add_qtest(chart_image_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/image/test_image.cpp
  LIBS chart chart_test_support TIFF::TIFF)
