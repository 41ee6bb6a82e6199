find_package(Qt5 5.15 REQUIRED COMPONENTS Test)
find_package(TIFF REQUIRED)

vp_add_qtest(chart_image_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/image/test_image.cpp
    ${CMAKE_CURRENT_LIST_DIR}/image/ImageFiles.cpp
  LIBS chart TIFF::TIFF)
