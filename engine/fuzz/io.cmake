vp_add_fuzzer(fuzz_cgats_reader
  SOURCES io/fuzz_cgats_reader.cpp
  LIBS engine)
