# Job files from disk, which anyone may have edited or cut short.
vp_add_fuzzer(fuzz_job_reader
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_job_reader.cpp
  LIBS jobs)
