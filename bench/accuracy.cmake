# Profile accuracy: builds profiles from measurement sets and scores them on
# their training and held-out patches.
add_executable(profile_accuracy ${CMAKE_CURRENT_LIST_DIR}/accuracy/profile_accuracy.cpp)
target_link_libraries(profile_accuracy PRIVATE engine PkgConfig::LCMS2)
target_compile_definitions(profile_accuracy PRIVATE VP_BENCH_DATA="${VP_BENCH_DATA_DIR}")
if(VP_TESTS)
  vp_add_test(profile_accuracy_smoke
    COMMAND profile_accuracy --no-peer --types matrix ${CMAKE_CURRENT_LIST_DIR}/accuracy/smoke)
endif()
