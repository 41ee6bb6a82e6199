# ICC and DNG camera profile writers, checked by real readers: Little CMS,
# and iccdump and exiftool where they are installed.
vp_add_gtest(engine_icc_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/icc/icc_test_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/icc/test_icc_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/icc/test_icc_template.cpp
    ${CMAKE_CURRENT_LIST_DIR}/icc/test_dcp_writer.cpp
  LIBS engine engine_test_support PkgConfig::LCMS2 OpenSSL::Crypto)
