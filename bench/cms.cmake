# Image conversion through the colour library against Little CMS alone.
add_executable(cms_transform_bench ${CMAKE_CURRENT_LIST_DIR}/cms/cms_transform_bench.cpp)
target_link_libraries(cms_transform_bench PRIVATE colour)
if(VP_TESTS)
  vp_add_test(cms_transform_bench_smoke COMMAND cms_transform_bench --smoke)
endif()
