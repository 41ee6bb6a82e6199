find_package(Qt5 5.15 REQUIRED COMPONENTS Test Qml)
find_package(TIFF REQUIRED)

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
    ${PROJECT_SOURCE_DIR}/chart/tests/image/ImageFiles.cpp
  LIBS jobs Qt5::Qml TIFF::TIFF)
if(TARGET jobs_tests)
  target_compile_definitions(jobs_tests PRIVATE
    JOBS_FIXTURE_DIR="${CMAKE_CURRENT_LIST_DIR}/fixtures")
  target_include_directories(jobs_tests PRIVATE ${PROJECT_SOURCE_DIR}/chart/tests/image)
  # Image loads run on threads: a deadlock fails the test instead of hanging.
  set_tests_properties(jobs_tests PROPERTIES TIMEOUT 600)
endif()
