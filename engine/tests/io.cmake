# Measurement sets, the CGATS reader and writer, and the entries.
vp_add_gtest(engine_io_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/io/test_cgats_reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/io/test_cgats_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/io/test_patch_set.cpp
    ${CMAKE_CURRENT_LIST_DIR}/io/test_entries.cpp
  LIBS engine Threads::Threads)
