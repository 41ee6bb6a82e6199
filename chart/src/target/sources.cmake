target_sources(chart PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RawImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Config.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Patch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchGrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchGridMeasure.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Target.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TargetSave.cpp
)
