find_package(Threads REQUIRED)
vp_add_gtest(engine_io_tests
  SOURCES
    io/test_cgats_reader.cpp
    io/test_cgats_writer.cpp
    io/test_patch_set.cpp
    io/test_entries.cpp
  LIBS engine)
target_link_libraries(engine_io_tests PRIVATE Threads::Threads)
