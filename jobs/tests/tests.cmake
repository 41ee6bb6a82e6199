vp_add_qtest(jobs_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JobTestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_job_data.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_expert_settings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_job.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_target_data.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_job_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_job_list.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_qml_texts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_job_loading.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_target_templates.cpp
  LIBS jobs chart_test_support Qt5::Qml TIFF::TIFF)
target_compile_definitions(jobs_tests PRIVATE
  JOBS_FIXTURE_DIR="${CMAKE_CURRENT_LIST_DIR}/fixtures")
# Image loads run on threads: a deadlock fails the test instead of hanging.
set_tests_properties(jobs_tests PROPERTIES TIMEOUT 600)
