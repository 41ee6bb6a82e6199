# The QML items over a recording host, with the widgets' chart-shot fixture.
vp_add_qtest(app_items_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_items.cpp
          ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  LIBS app_items widgets_test_support Qt5::Test)
set_tests_properties(app_items_tests PROPERTIES TIMEOUT 900)

# One look at the item in a real window under Xvfb.
find_program(VP_XVFB_RUN xvfb-run REQUIRED)
add_executable(app_items_view_test ${CMAKE_CURRENT_LIST_DIR}/view_main.cpp)
target_link_libraries(app_items_view_test PRIVATE items_test_support)
add_test(NAME app_items_view
  COMMAND ${VP_XVFB_RUN} -a -s "-screen 0 640x480x24" $<TARGET_FILE:app_items_view_test>)
# As the widgets' window test: strict string checks and the leak check are
# off under the X server's libraries.
set_tests_properties(app_items_view PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=xcb;QT_QUICK_BACKEND=software;LC_ALL=;LANG=C;ASAN_OPTIONS=detect_leaks=0"
  RESOURCE_LOCK xvfb TIMEOUT 180)

# From a dropped shot to a written profile and its quality, through the real
# controller, job loading, profile engine and item.
vp_add_qtest(app_integration_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_integration.cpp
  LIBS app_items app_controller_test_support widgets_test_support PkgConfig::LCMS2)
set_tests_properties(app_integration_tests PROPERTIES TIMEOUT 900)
