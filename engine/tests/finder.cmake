# Chart corner finder and synthetic target image.
find_package(TIFF REQUIRED)
find_package(Eigen3 3.3 REQUIRED NO_MODULE)
vp_add_gtest(engine_finder_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/finder/test_chart_finder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/finder/test_target_image.cpp
    ${PROJECT_SOURCE_DIR}/bench/finder/scene.cpp
  LIBS engine TIFF::TIFF Eigen3::Eigen)
if(TARGET engine_finder_tests)
  # The scene renderer is test input, not code under test: keep it quick.
  set_source_files_properties(${PROJECT_SOURCE_DIR}/bench/finder/scene.cpp
    PROPERTIES COMPILE_OPTIONS "-O2")
  target_include_directories(engine_finder_tests PRIVATE ${PROJECT_SOURCE_DIR}/bench/finder)
endif()
