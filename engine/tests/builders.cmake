# Camera and spectral profile builders: end to end from CGATS files and
# arrays to written profiles, checked through Little CMS.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LCMS2_BUILD REQUIRED IMPORTED_TARGET lcms2)
vp_add_gtest(engine_build_tests
  SOURCES
    builders/test_builders.cpp
    builders/test_dcp_roads.cpp
    builders/test_stages.cpp
  LIBS engine PkgConfig::LCMS2_BUILD Eigen3::Eigen)
if(TARGET engine_build_tests)
  target_include_directories(engine_build_tests PRIVATE ${PROJECT_SOURCE_DIR}/engine/src/builders)
endif()
