# Patch-grid widget benchmark: repaint with measurement, hover and the
# two-order measurement on chart shots of 24, 140 and 288 patches.
add_executable(widgets_bench ${CMAKE_CURRENT_LIST_DIR}/widgets/widgets_bench.cpp)
target_link_libraries(widgets_bench PRIVATE widgets_test_support)
if(VP_TESTS)
  vp_add_test(widgets_bench_smoke COMMAND widgets_bench --runs 2 --small)
endif()
