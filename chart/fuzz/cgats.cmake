# CGATS text from untrusted files: normaliser, scanner and both parsers.
vp_add_fuzzer(fuzz_cgats_parser
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cgats/fuzz_cgats_parser.cpp
  LIBS chart)
