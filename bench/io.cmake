# Engine bench: CGATS read times over the bench data and real reference files,
# and the time of one ICC profile build.
add_executable(engine_bench ${CMAKE_CURRENT_LIST_DIR}/io/engine_bench.cpp)
target_link_libraries(engine_bench PRIVATE engine)
target_compile_definitions(engine_bench PRIVATE VP_BENCH_DATA="${VP_BENCH_DATA_DIR}")
if(VP_TESTS)
  vp_add_test(engine_bench_smoke
    COMMAND engine_bench --repeat 1 ${CMAKE_CURRENT_LIST_DIR}/accuracy/smoke)
endif()
