# Image conversion through the colour library against Little CMS alone.
add_executable(cms_transform_bench ${CMAKE_CURRENT_LIST_DIR}/cms/cms_transform_bench.cpp)
target_link_libraries(cms_transform_bench PRIVATE colour)
# The linear camera's measurement set for the camera profile's row.
target_compile_definitions(cms_transform_bench PRIVATE VP_BENCH_DATA="${VP_BENCH_DATA_DIR}")
if(VP_TESTS)
  vp_add_test(cms_transform_bench_smoke COMMAND cms_transform_bench --smoke)
endif()
