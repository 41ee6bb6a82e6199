# Corner-finder benchmark: success rate and time per image on seeded scenes.
find_package(Eigen3 3.3 REQUIRED NO_MODULE)
find_package(TIFF REQUIRED)
find_package(PNG QUIET)
add_executable(chart_finder_bench
  ${CMAKE_CURRENT_LIST_DIR}/finder/chart_finder_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/finder/scene.cpp)
target_link_libraries(chart_finder_bench PRIVATE engine Eigen3::Eigen TIFF::TIFF)
# The scene renderer is input, not what is measured: keep it quick in every build.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/finder/scene.cpp
  PROPERTIES COMPILE_OPTIONS "-O2")
if(PNG_FOUND)
  target_link_libraries(chart_finder_bench PRIVATE PNG::PNG)
  target_compile_definitions(chart_finder_bench PRIVATE VP_HAVE_PNG=1)
endif()
if(VP_TESTS)
  add_test(NAME chart_finder_bench_smoke COMMAND chart_finder_bench --scenes 6 --per-condition 1
    --full-frames 1 --full-frame-size 1500x1000)
endif()
