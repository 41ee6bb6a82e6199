# Byte order, the work block and the camera-profile folder.
target_sources(platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/bytes/big_endian.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/bytes/work_buffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/bytes/camera_profile_folder.cpp
)
