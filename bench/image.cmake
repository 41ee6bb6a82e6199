# Image loading benchmark: a CFA DNG through the loader (with its decoder's
# stages) and through dcraw, and a large 16-bit RGB TIFF loaded with
# shrinking; the previews of each.
add_executable(image_load_bench ${CMAKE_CURRENT_LIST_DIR}/image/image_load_bench.cpp)
target_link_libraries(image_load_bench PRIVATE chart chart_test_support Qt5::Gui TIFF::TIFF)
if(VP_TESTS)
  vp_add_test(image_load_bench_smoke COMMAND image_load_bench --dng 64x48 --tiff 4100x10)
endif()
