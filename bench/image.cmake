# Image loading benchmark: a CFA DNG through the loader and through dcraw, and
# a large 16-bit RGB TIFF loaded with shrinking.
if(TARGET chart)
  find_package(Qt5 5.15 REQUIRED COMPONENTS Core Gui)
  find_package(TIFF REQUIRED)
  add_executable(image_load_bench
    ${CMAKE_CURRENT_LIST_DIR}/image/image_load_bench.cpp
    ${PROJECT_SOURCE_DIR}/chart/tests/image/ImageFiles.cpp)
  target_include_directories(image_load_bench PRIVATE ${PROJECT_SOURCE_DIR}/chart/tests/image)
  target_link_libraries(image_load_bench PRIVATE chart Qt5::Gui TIFF::TIFF)
  if(VP_TESTS)
    add_test(NAME image_load_bench_smoke COMMAND image_load_bench --dng 64x48 --tiff 4100x10)
    set_tests_properties(image_load_bench_smoke PROPERTIES ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/image/lsan.supp:print_suppressions=0")
  endif()
endif()
