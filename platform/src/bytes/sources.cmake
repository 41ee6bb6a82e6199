# Byte order, the work block and the camera-profile folder.
target_sources(platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/big_endian.cpp
  ${CMAKE_CURRENT_LIST_DIR}/work_buffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/camera_profile_folder.cpp
)
