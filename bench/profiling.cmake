# A profiling run through the run manager and its thread against the bare
# engine call on the same measurement set.
add_executable(profiling_bench ${CMAKE_CURRENT_LIST_DIR}/profiling/profiling_bench.cpp)
target_link_libraries(profiling_bench PRIVATE jobs)
target_compile_definitions(profiling_bench PRIVATE
  VP_BENCH_DATA="${VP_BENCH_DATA_DIR}")
if(VP_TESTS)
  vp_add_test(profiling_bench_smoke COMMAND profiling_bench --runs 1)
endif()
