# ICC and DNG camera profile writers.
target_sources(engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/profile_tables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icc_tags.cpp
  ${CMAKE_CURRENT_LIST_DIR}/md5.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icc_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icc_template.cpp
  ${CMAKE_CURRENT_LIST_DIR}/profile_output.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dcp_writer.cpp
)
