# Job list benchmark: a seeded jobs folder of large job files read into a job
# list, beside a bare DOM parse of the same bytes, and the QML text of all jobs.
add_executable(job_list_bench ${CMAKE_CURRENT_LIST_DIR}/jobs/job_list_bench.cpp)
target_link_libraries(job_list_bench PRIVATE jobs Qt5::Gui Qt5::Xml)
target_compile_definitions(job_list_bench PRIVATE
  VP_REFERENCE_DIR="/usr/share/color/argyll/ref")
if(VP_TESTS)
  vp_add_test(job_list_bench_smoke COMMAND job_list_bench --jobs 4)
endif()

# Job image loading benchmark: a job deleted, and a second path set, half-way
# through the decode of a DNG, beside the bare worker's cancel.
add_executable(job_load_bench ${CMAKE_CURRENT_LIST_DIR}/jobs/job_load_bench.cpp)
target_link_libraries(job_load_bench PRIVATE jobs chart_test_support Qt5::Gui TIFF::TIFF)
if(VP_TESTS)
  vp_add_test(job_load_bench_smoke COMMAND job_load_bench --dng 64x48 --rounds 2)
  set_tests_properties(job_load_bench_smoke PROPERTIES TIMEOUT 300)
endif()
