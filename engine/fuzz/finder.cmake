# Reader of the target texts rendered as chart images.
vp_add_fuzzer(fuzz_target_image
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/finder/fuzz_target_image.cpp
  LIBS engine)
target_include_directories(fuzz_target_image PRIVATE ${PROJECT_SOURCE_DIR}/engine/src)
