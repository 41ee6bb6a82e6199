vp_add_qtest(widgets_tests
  SOURCES
    tests/main.cpp
    tests/WidgetTests.h
    tests/test_histogram.cpp
    tests/test_image_widget.cpp
    tests/test_patch_grid_widget.cpp
    tests/test_measurement.cpp
    tests/test_quality_road.cpp
  LIBS widgets_test_support PkgConfig::LCMS2)
target_compile_definitions(widgets_tests PRIVATE
  VP_TEST_ICC_DIR="/usr/share/color/icc/colord")

# Under a real window system with Qt Quick's threaded render loop.
find_program(VP_XVFB_RUN xvfb-run REQUIRED)
add_executable(widgets_render_thread_test tests/test_render_thread.cpp)
set_target_properties(widgets_render_thread_test PROPERTIES AUTOMOC ON)
target_link_libraries(widgets_render_thread_test PRIVATE widgets_test_support Qt5::Test)
add_test(NAME widgets_render_thread
  COMMAND ${VP_XVFB_RUN} -a -s "-screen 0 640x480x24"
          $<TARGET_FILE:widgets_render_thread_test>)
# libxkbcommon's strndup reads past the string's end as strict string checks
# count it, so they are off here. OpenGL stays on for the threaded loop; the
# Mesa driver is unloaded before the leak check can name its allocations, so
# leaks are checked by the offscreen tests only.
set_tests_properties(widgets_render_thread PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=xcb;QSG_RENDER_LOOP=threaded;LC_ALL=;LANG=C;ASAN_OPTIONS=detect_leaks=0"
  RESOURCE_LOCK xvfb TIMEOUT 180)
