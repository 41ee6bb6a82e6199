# What the engine's tests and the benchmarks share: photograph-like chart
# scenes for the corner finder and a scoped limit on the size of written files.
add_library(engine_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/scene.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_size_limit.cpp
)
target_include_directories(engine_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(engine_test_support PRIVATE Eigen3::Eigen engine)
# The scene renderer is input, not what is measured or tested: keep it quick
# in every build.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/scene.cpp
  PROPERTIES COMPILE_OPTIONS "-O2")
