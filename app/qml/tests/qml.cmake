# Tests of the QML screens.
set(qmllint_files ${qml_sources})
add_test(NAME qml_lint COMMAND /usr/lib/qt5/bin/qmllint ${qmllint_files})

add_library(qml_test_support STATIC ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/FakeController.cpp)
set_target_properties(qml_test_support PROPERTIES AUTOMOC ON)
target_include_directories(qml_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/tests)
target_link_libraries(qml_test_support PUBLIC Qt5::Quick Qt5::Qml)

add_executable(tst_qml_screens ${CMAKE_CURRENT_SOURCE_DIR}/tests/tst_qml_screens.cpp)
set_target_properties(tst_qml_screens PROPERTIES AUTOMOC ON)
target_compile_definitions(tst_qml_screens PRIVATE
  QUICK_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/tests")
target_link_libraries(tst_qml_screens PRIVATE app_qml qml_test_support Qt5::QuickTest)
vp_test_environment(qml_environment)
add_test(NAME qml_screens COMMAND tst_qml_screens)
set_tests_properties(qml_screens PROPERTIES ENVIRONMENT "${qml_environment};QT_QUICK_BACKEND=software")
