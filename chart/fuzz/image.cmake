# Image files from untrusted sources: JPEG metadata segments, TIFF loading
# from memory and ICC tag tables.
vp_add_fuzzer(fuzz_jpeg_metadata
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/image/fuzz_jpeg_metadata.cpp
  LIBS chart)
vp_add_fuzzer(fuzz_tiff_scan
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/image/fuzz_tiff_scan.cpp
  LIBS chart TIFF::TIFF)
target_include_directories(fuzz_tiff_scan PRIVATE ${PROJECT_SOURCE_DIR}/chart/src/image)
