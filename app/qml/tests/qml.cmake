# Tests of the QML screens.
set(qmllint_files ${qml_sources})
add_test(NAME qml_lint COMMAND /usr/lib/qt5/bin/qmllint ${qmllint_files})


add_executable(tst_qml_screens ${CMAKE_CURRENT_SOURCE_DIR}/tests/tst_qml_screens.cpp)
set_target_properties(tst_qml_screens PROPERTIES AUTOMOC ON)
target_compile_definitions(tst_qml_screens PRIVATE
  QUICK_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/tests")
target_link_libraries(tst_qml_screens PRIVATE app_qml app_qml_profile app_qml_fake_items qml_test_support
  Qt5::QuickTest)
vp_test_environment(qml_environment)
add_test(NAME qml_screens COMMAND tst_qml_screens)
# Full stacks, so that the suppressions of Qt Quick's texture and pixmap caches
# match: QML's JIT is kept off, since the unwinder stops at its frames, and the
# entry runs alone, since on a loaded machine the caches' allocations were seen
# reported through such frames.
set_tests_properties(qml_screens PROPERTIES RUN_SERIAL ON ENVIRONMENT
  "${qml_environment};QT_QUICK_BACKEND=software;QV4_FORCE_INTERPRETER=1;ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:fast_unwind_on_malloc=0")

# The page tour on a real display (xcb with Mesa under xvfb-run); the
# screenshots land in the build folder.
add_executable(tst_qml_tour ${CMAKE_CURRENT_SOURCE_DIR}/tests/tst_qml_tour.cpp)
set_target_properties(tst_qml_tour PROPERTIES AUTOMOC ON)
target_link_libraries(tst_qml_tour PRIVATE app_qml app_qml_profile app_qml_fake_items qml_test_support Qt5::Test)
find_program(XVFB_RUN xvfb-run REQUIRED)
add_test(NAME qml_tour COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24 -dpi 96" $<TARGET_FILE:tst_qml_tour>)
# Mesa's software rasteriser keeps its allocations to the end of the process and is
# far too slow to unwind in full; leaks are checked by qml_screens.
set_tests_properties(qml_tour PROPERTIES ENVIRONMENT
  "${qml_environment};QT_QPA_PLATFORM=xcb;QML_TOUR_DIR=${CMAKE_CURRENT_BINARY_DIR}/qml-tour;ASAN_OPTIONS=detect_leaks=0"
  RESOURCE_LOCK xvfb)
