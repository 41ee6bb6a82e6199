# Arbitrary tables into the ICC writer; Little CMS must accept what it writes.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LCMS2 REQUIRED IMPORTED_TARGET lcms2)
vp_add_fuzzer(fuzz_icc_writer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/icc/fuzz_icc_writer.cpp
  LIBS engine PkgConfig::LCMS2)
