# Profile accuracy: builds profiles from measurement sets and scores them on
# their training and held-out patches.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LCMS2_BENCH REQUIRED IMPORTED_TARGET lcms2)
add_executable(profile_accuracy ${CMAKE_CURRENT_LIST_DIR}/accuracy/profile_accuracy.cpp)
target_link_libraries(profile_accuracy PRIVATE engine PkgConfig::LCMS2_BENCH)
target_compile_definitions(profile_accuracy PRIVATE
  VP_BENCH_DATA="${PROJECT_SOURCE_DIR}/../shared/bench-data")
if(VP_TESTS)
  add_test(NAME profile_accuracy_smoke
    COMMAND profile_accuracy --no-peer --types matrix
            ${CMAKE_CURRENT_LIST_DIR}/accuracy/smoke)
endif()
