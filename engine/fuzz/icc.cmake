# Arbitrary tables into the ICC writer; Little CMS must accept what it writes.
vp_add_fuzzer(fuzz_icc_writer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/icc/fuzz_icc_writer.cpp
  LIBS engine PkgConfig::LCMS2)
