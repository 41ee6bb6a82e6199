# Profiling runs: the run manager, its thread and events, and the job's
# profile creation.
target_sources(jobs PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/profiling_logging.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/pq_engineFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/MyProgressEvent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/MyDoneEvent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/MyAbortEvent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/MyTextEvent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/MyThread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/pq_ProfilingThreadMgr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/pq_JobProfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/include/jobs/pq_ProfilingThreadMgrIF.h
  ${CMAKE_CURRENT_LIST_DIR}/include/jobs/pq_ProfilingThreadMgr.h
)
target_link_libraries(jobs PUBLIC engine)
