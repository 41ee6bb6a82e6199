# Chart image item benchmark: loaded chart image to placed grid on shots of 24
# and 140 patches, upright and turned by 90 degrees; with --shots, real
# photographs with their truth through the same road.
add_executable(items_bench ${CMAKE_CURRENT_LIST_DIR}/items/items_bench.cpp)
target_link_libraries(items_bench PRIVATE items_shot_road)
if(VP_TESTS)
  vp_add_test(items_bench_smoke COMMAND items_bench --runs 2 --small)
  # The real photographs beside the project's clone (shared/ next to the
  # source folder): every one placed with the right orientation, none wrong.
  get_filename_component(vp_shared_dir "${PROJECT_SOURCE_DIR}/../shared" ABSOLUTE)
  vp_add_test(items_real_shots COMMAND items_bench --shots ${vp_shared_dir}/real-shots --strict)
  set_tests_properties(items_real_shots PROPERTIES TIMEOUT 600)
endif()
