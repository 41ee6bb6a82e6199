# The controller over scratch data folders, one controller per test case.
vp_add_qtest(app_controller_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_controller.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_meta_object.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ControllerTestSupport.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ControllerTestSupport.h
          ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  LIBS app_controller Qt5::Widgets)
target_include_directories(app_controller_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
set_tests_properties(app_controller_tests PROPERTIES TIMEOUT 120)
