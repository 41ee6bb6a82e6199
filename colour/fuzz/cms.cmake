# Opening ICC and DNG camera profiles from untrusted bytes, with header and
# tag reads.
vp_add_fuzzer(fuzz_profile_open
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cms/fuzz_profile_open.cpp
  LIBS colour)
