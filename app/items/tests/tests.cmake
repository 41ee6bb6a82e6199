# The QML items over a recording host, with the widgets' chart-shot fixture.
vp_add_qtest(app_items_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_items.cpp
          ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  LIBS app_items widgets_test_support Qt5::Test)
set_tests_properties(app_items_tests PROPERTIES TIMEOUT 300)
