# Chart image item benchmark: loaded chart image to placed grid on shots of 24
# and 140 patches, upright and turned by 90 degrees.
add_executable(items_bench ${CMAKE_CURRENT_LIST_DIR}/items/items_bench.cpp)
target_link_libraries(items_bench PRIVATE items_test_support)
if(VP_TESTS)
  vp_add_test(items_bench_smoke COMMAND items_bench --runs 2 --small)
endif()
