# Opening ICC and DNG camera profiles from untrusted bytes, with header and
# tag reads.
vp_add_fuzzer(fuzz_profile_open
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cms/fuzz_profile_open.cpp
  LIBS colour)
if(TARGET fuzz_profile_open)
  # The seed corpus lives beside this fragment.
  get_property(vp_fuzzers GLOBAL PROPERTY VP_FUZZERS)
  list(TRANSFORM vp_fuzzers REPLACE "^fuzz_profile_open=.*$"
       "fuzz_profile_open=${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_profile_open")
  set_property(GLOBAL PROPERTY VP_FUZZERS "${vp_fuzzers}")
  string(REPLACE ";" "\n" vp_fuzzer_lines "${vp_fuzzers}")
  file(WRITE ${CMAKE_BINARY_DIR}/fuzzers.txt "${vp_fuzzer_lines}\n")
endif()
