# What a user waits for, timed through the program's window on a virtual X
# server: a copy of the program with the driver and the benchmark's scenario,
# started in a scratch home seeded with its target templates by the
# "window_bench" script that the benchmark list runs.
vp_add_driven_program(pelto-window-bench ${CMAKE_CURRENT_LIST_DIR}/window/window_bench.cpp)
target_link_libraries(pelto-window-bench PRIVATE app_driver_charts app_driver_steps)
set(window_bench_setup
  "$<TARGET_FILE:pelto-seed-store>;--template;ColorChecker;6;4;/usr/share/color/argyll/ref/ColorChecker.cie;--template;Patches140;14;10;fixture")
file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/window_bench
  CONTENT "#!/bin/sh
# The window benchmark in a scratch home on a virtual X server (xcb).
xvfb=$(command -v xvfb-run) || { echo \"window_bench needs xvfb-run (Debian packages xvfb, xauth)\"; exit 1; }
QT_QPA_PLATFORM=xcb exec \"${CMAKE_COMMAND}\" \"-DPROGRAM=$<TARGET_FILE:pelto-window-bench>\" \\
  \"-DXVFB_RUN=$xvfb\" \"-DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/window-bench-home\" \\
  -DARGS=--no-splash \"-DSETUP=${window_bench_setup}\" \"-DSCENARIO_ARGS=$*\" \\
  -P \"${PROJECT_SOURCE_DIR}/app/driver/run_driven.cmake\"
"
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
add_custom_target(window_bench ALL DEPENDS pelto-window-bench pelto-seed-store)
if(VP_TESTS)
  vp_add_test(window_bench_smoke COMMAND ${CMAKE_CURRENT_BINARY_DIR}/window_bench --small --runs 1 --hovers 2)
  vp_test_environment(window_bench_env)
  # Mesa keeps its allocations to the end of the process.
  set_tests_properties(window_bench_smoke PROPERTIES ENVIRONMENT "${window_bench_env};ASAN_OPTIONS=detect_leaks=0"
    RESOURCE_LOCK xvfb TIMEOUT 900)
endif()
