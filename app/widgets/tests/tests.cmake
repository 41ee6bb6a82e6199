find_package(Qt5 5.15 REQUIRED COMPONENTS Test Quick)
find_package(PkgConfig REQUIRED)
pkg_check_modules(VP_LCMS2_WIDGETS REQUIRED IMPORTED_TARGET lcms2)
find_package(TIFF REQUIRED)

# The chart-shot fixture and the fake job, shared with later tests and the
# benchmarks.
add_library(widgets_test_support STATIC
  tests/support/ChartShot.cpp
  tests/support/FakeJob.cpp
  tests/support/ChartShot.h
  tests/support/FakeJob.h
  tests/support/TestOwnerItem.h
)
set_target_properties(widgets_test_support PROPERTIES AUTOMOC ON)
target_include_directories(widgets_test_support PUBLIC tests/support)
target_link_libraries(widgets_test_support PUBLIC app_widgets jobs chart TIFF::TIFF Qt5::Quick)

vp_add_qtest(widgets_tests
  SOURCES
    tests/main.cpp
    tests/WidgetTests.h
    tests/test_histogram.cpp
    tests/test_image_widget.cpp
    tests/test_patch_grid_widget.cpp
    tests/test_measurement.cpp
  LIBS widgets_test_support PkgConfig::VP_LCMS2_WIDGETS)
target_compile_definitions(widgets_tests PRIVATE
  VP_TEST_ICC_DIR="/usr/share/color/icc/colord")
