# Corner-finder benchmark: success rate and time per image on seeded scenes.
find_package(Eigen3 3.3 REQUIRED NO_MODULE)
find_package(TIFF REQUIRED)
find_package(PNG QUIET)
add_executable(chart_finder_bench
  ${CMAKE_CURRENT_LIST_DIR}/finder/chart_finder_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/finder/scene.cpp)
target_link_libraries(chart_finder_bench PRIVATE engine Eigen3::Eigen TIFF::TIFF)
if(PNG_FOUND)
  target_link_libraries(chart_finder_bench PRIVATE PNG::PNG)
  target_compile_definitions(chart_finder_bench PRIVATE VP_HAVE_PNG=1)
endif()
if(VP_TESTS)
  add_test(NAME chart_finder_bench_smoke COMMAND chart_finder_bench --scenes 6)
endif()
