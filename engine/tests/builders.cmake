# Camera and spectral profile builders: end to end from CGATS files and
# arrays to written profiles, checked through Little CMS.
vp_add_gtest(engine_build_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/builders/test_builders.cpp
    ${CMAKE_CURRENT_LIST_DIR}/builders/test_dcp_roads.cpp
    ${CMAKE_CURRENT_LIST_DIR}/builders/test_stages.cpp
  LIBS engine PkgConfig::LCMS2 Eigen3::Eigen)
target_include_directories(engine_build_tests PRIVATE ${PROJECT_SOURCE_DIR}/engine/src/builders)
