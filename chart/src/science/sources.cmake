target_sources(chart PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SpectrumArray.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CieBuiltinTables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/csContext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CIEColor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Illuminant.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TransferFunction.cpp
)
