# Profiling runs. The run manager is a process-wide singleton, so each fixture
# runs in an executable of its own.
vp_add_qtest(profiling_manager_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_profiling_manager.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProfilingTestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScriptedEngine.cpp
  LIBS jobs)

vp_add_qtest(profile_creation_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_profile_creation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProfilingTestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScriptedEngine.cpp
  LIBS jobs)

vp_add_qtest(profiling_engine_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_profiling_engine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProfilingTestSupport.cpp
  LIBS jobs)

foreach(test profiling_manager_tests profile_creation_tests profiling_engine_tests)
  target_compile_definitions(${test} PRIVATE
    JOBS_FIXTURE_DIR="${CMAKE_CURRENT_LIST_DIR}/fixtures")
endforeach()
