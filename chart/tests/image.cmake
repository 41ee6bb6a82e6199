find_package(Qt5 5.15 REQUIRED COMPONENTS Test)
find_package(TIFF REQUIRED)

vp_add_qtest(chart_image_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/image/test_image.cpp
    ${CMAKE_CURRENT_LIST_DIR}/image/ImageFiles.cpp
  LIBS chart TIFF::TIFF)
if(TARGET chart_image_tests)
  set_tests_properties(chart_image_tests PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/image/lsan.supp:print_suppressions=0")
endif()
