# Tests of the profiling pages: qmllint over their files, Qt Quick Test over
# stand-ins of the controller and the image items (offscreen, software scene),
# and a tour of the pages in a real window under Xvfb with screenshots.
set(profile_tests ${CMAKE_CURRENT_LIST_DIR})

# Stand-ins of the two image items, also for the main window's tests.
add_library(app_qml_fake_items STATIC
  ${profile_tests}/support/FakeItems.cpp
  ${profile_tests}/support/FakeItems.h
)
set_target_properties(app_qml_fake_items PROPERTIES AUTOMOC ON)
target_include_directories(app_qml_fake_items PUBLIC ${profile_tests}/support)
target_link_libraries(app_qml_fake_items PUBLIC Qt5::Gui Qt5::Qml Qt5::Quick)

add_library(app_qml_profile_test_support STATIC
  ${profile_tests}/support/FakeController.cpp
  ${profile_tests}/support/FakeController.h
  ${profile_tests}/support/TestHost.cpp
  ${profile_tests}/support/TestHost.h
  ${profile_tests}/profile_test.qrc
)
set_target_properties(app_qml_profile_test_support PROPERTIES AUTOMOC ON AUTORCC ON)
target_include_directories(app_qml_profile_test_support PUBLIC ${profile_tests}/support)
target_link_libraries(app_qml_profile_test_support PUBLIC app_qml_profile app_qml_fake_items Qt5::Gui Qt5::Qml
  Qt5::Quick)

vp_test_environment(profile_test_env)

find_program(VP_QMLLINT qmllint HINTS /usr/lib/qt5/bin REQUIRED)
add_test(NAME app_qml_profile_qmllint COMMAND ${VP_QMLLINT} ${profile_qml_files})
set_tests_properties(app_qml_profile_qmllint PROPERTIES ENVIRONMENT "${profile_test_env}")

add_executable(app_qml_profile_quicktest ${profile_tests}/quick_main.cpp)
set_target_properties(app_qml_profile_quicktest PROPERTIES AUTOMOC ON)
target_compile_definitions(app_qml_profile_quicktest PRIVATE
  QUICK_TEST_SOURCE_DIR="${profile_tests}/quick")
target_link_libraries(app_qml_profile_quicktest PRIVATE app_qml_profile_test_support Qt5::QuickTest)
add_test(NAME app_qml_profile_quicktest COMMAND app_qml_profile_quicktest)
# Full stacks, so that the leak suppressions of the Qt Quick texture cache
# match the allocations they name and nothing else.
set(profile_asan_options "ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:fast_unwind_on_malloc=0")
set_tests_properties(app_qml_profile_quicktest PROPERTIES
  ENVIRONMENT "${profile_test_env};${profile_asan_options};QT_QUICK_BACKEND=software")

# The page tour in a real window: xcb under Xvfb, with Mesa's OpenGL.
add_executable(app_qml_profile_screens ${profile_tests}/screens/screens_main.cpp)
target_link_libraries(app_qml_profile_screens PRIVATE app_qml_profile_test_support Qt5::Test)
find_program(VP_XVFB_RUN xvfb-run REQUIRED)
add_test(NAME app_qml_profile_screens
  COMMAND ${VP_XVFB_RUN} -a -s "-screen 0 1280x1024x24 -dpi 96"
          $<TARGET_FILE:app_qml_profile_screens> ${CMAKE_CURRENT_BINARY_DIR}/screens)
# libxkbcommon reads key map names with strndup past their end, which the
# strict string checks report; the xcb run does without them.
set_tests_properties(app_qml_profile_screens PROPERTIES
  ENVIRONMENT "${profile_test_env};ASAN_OPTIONS=detect_leaks=1;QT_QPA_PLATFORM=xcb")
