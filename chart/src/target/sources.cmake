target_sources(chart PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RawImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Config.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchGrid.cpp
)
