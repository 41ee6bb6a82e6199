# Corner-finder benchmark: success rate and time per image on seeded scenes.
add_executable(chart_finder_bench ${CMAKE_CURRENT_LIST_DIR}/finder/chart_finder_bench.cpp)
target_link_libraries(chart_finder_bench PRIVATE engine engine_test_support TIFF::TIFF PNG::PNG Qt5::Gui)
target_include_directories(chart_finder_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_compile_definitions(chart_finder_bench PRIVATE VP_HAVE_PNG=1)
if(VP_TESTS)
  vp_add_test(chart_finder_bench_smoke COMMAND chart_finder_bench --scenes 6 --per-condition 1 --chart-free 4
    --full-frames 1 --full-frame-size 1500x1000)
endif()
