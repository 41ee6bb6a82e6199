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
  LIBS jobs Qt5::Qml)
target_compile_definitions(jobs_tests PRIVATE
  JOBS_FIXTURE_DIR="${CMAKE_CURRENT_LIST_DIR}/fixtures")
