# Start-up benchmark: the program, built with a start-up probe as the driver
# is, started on seeded stores of 0, 100 and 500 jobs under xvfb-run and
# offscreen; application ready, main.qml loaded and first frame.
vp_add_driven_program(pelto-startup-probe ${CMAKE_CURRENT_LIST_DIR}/startup/startup_probe.cpp)
add_executable(startup_bench ${CMAKE_CURRENT_LIST_DIR}/startup/startup_bench.cpp)
target_link_libraries(startup_bench PRIVATE Qt5::Core)
target_compile_definitions(startup_bench PRIVATE
  VP_STARTUP_PROBE="$<TARGET_FILE:pelto-startup-probe>"
  VP_SEED_STORE="$<TARGET_FILE:pelto-seed-store>")
add_dependencies(startup_bench pelto-startup-probe pelto-seed-store)
if(VP_TESTS)
  vp_add_test(startup_bench_smoke COMMAND startup_bench --runs 1 --jobs 2 --platforms offscreen)
  # Full stacks, so that the suppressions of Qt Quick's texture and pixmap
  # caches match in the probe.
  vp_test_environment(startup_bench_environment)
  set_tests_properties(startup_bench_smoke PROPERTIES TIMEOUT 600 ENVIRONMENT
    "${startup_bench_environment};ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:fast_unwind_on_malloc=0")
endif()
