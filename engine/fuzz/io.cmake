# CGATS text from untrusted files into the engine's reader.
vp_add_fuzzer(fuzz_cgats_reader
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/io/fuzz_cgats_reader.cpp
  LIBS engine)
