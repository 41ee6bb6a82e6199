# What the chart tests and the image benchmark share: image files written in
# memory (TIFF, DNG, JPEG) and parse runs of CGATS text.
add_library(chart_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ImageFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LogLines.cpp
)
target_include_directories(chart_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chart_test_support PUBLIC colour_test_support Qt5::Core
  PRIVATE TIFF::TIFF)
