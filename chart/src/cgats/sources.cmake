target_sources(chart PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ISO12642_Scanner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ISO12642_Parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VandrelithFile_Parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CgatsNormaliser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BoundedFile.cpp
)
