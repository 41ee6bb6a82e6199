# Set files from disk, which anyone may have edited or cut short.
vp_add_fuzzer(fuzz_set_reader
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_set_reader.cpp
  LIBS app_controller)
