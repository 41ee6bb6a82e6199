# ICC and DNG camera profile writers, checked by real readers: Little CMS,
# and iccdump and exiftool where they are installed.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LCMS2 REQUIRED IMPORTED_TARGET lcms2)
find_package(OpenSSL REQUIRED COMPONENTS Crypto)
vp_add_gtest(engine_icc_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/icc/icc_test_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/icc/test_icc_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/icc/test_icc_template.cpp
    ${CMAKE_CURRENT_LIST_DIR}/icc/test_dcp_writer.cpp
  LIBS engine PkgConfig::LCMS2 OpenSSL::Crypto)
