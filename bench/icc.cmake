# ICC and DCP writer timings: median write times and profile sizes.
add_executable(icc_write_bench ${CMAKE_CURRENT_LIST_DIR}/icc/icc_write_bench.cpp)
target_link_libraries(icc_write_bench PRIVATE engine)
if(VP_TESTS)
  vp_add_test(icc_write_bench_smoke COMMAND icc_write_bench --smoke)
endif()
