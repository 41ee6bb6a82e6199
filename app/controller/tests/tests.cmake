# What the controller's tests share with the other app tests: scratch homes,
# recording fakes of the items.
add_library(app_controller_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ControllerTestSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ControllerTestSupport.h)
set_target_properties(app_controller_test_support PROPERTIES AUTOMOC ON)
target_include_directories(app_controller_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(app_controller_test_support PUBLIC app_controller Qt5::Test)

# The controller over scratch data folders, one controller per test case;
# one CTest entry per test class, so that they run side by side.
add_executable(app_controller_tests
  ${CMAKE_CURRENT_LIST_DIR}/test_controller.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_meta_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_shell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_target_templates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_job_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
set_target_properties(app_controller_tests PROPERTIES AUTOMOC ON)
target_link_libraries(app_controller_tests PRIVATE app_controller_test_support app_driver_charts
                      Qt5::Widgets Qt5::Test)
target_include_directories(app_controller_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
vp_test_environment(app_controller_env)
set(app_controller_classes ControllerTest MetaObjectTest ShellTest TargetTemplatesTest JobStateTest)
string(REPLACE ";" "," app_controller_listed "${app_controller_classes}")
foreach(class IN LISTS app_controller_classes)
  add_test(NAME app_controller_tests_${class} COMMAND app_controller_tests)
  set_tests_properties(app_controller_tests_${class} PROPERTIES TIMEOUT 600
    ENVIRONMENT "${app_controller_env};VP_TEST_CLASS=${class};VP_TEST_CLASSES=${app_controller_listed}")
endforeach()

# The QML harness: the screens' queries over the maps of a real controller.
add_executable(app_controller_qml_tests ${CMAKE_CURRENT_LIST_DIR}/qml/tst_controller_qml.cpp)
set_target_properties(app_controller_qml_tests PROPERTIES AUTOMOC ON)
target_include_directories(app_controller_qml_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_compile_definitions(app_controller_qml_tests PRIVATE
  QUICK_TEST_SOURCE_DIR="${CMAKE_CURRENT_LIST_DIR}/qml")
target_link_libraries(app_controller_qml_tests PRIVATE app_controller_test_support Qt5::QuickTest)
vp_add_test(app_controller_qml_tests COMMAND app_controller_qml_tests)
vp_test_environment(app_controller_qml_env)
set_tests_properties(app_controller_qml_tests PROPERTIES TIMEOUT 120
  ENVIRONMENT "${app_controller_qml_env};QT_QUICK_BACKEND=software")
