# Colour values: splines, Bezier tables, curve sets and their "xml" settings
# format, colour differences.
target_sources(colour PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Kirr_Spline1.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Kirr_BezierLut.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Kirr_XmlSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Kirr_ColorCurve.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Kirr_colorDifference.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Kirr_illuminantTemperature.cpp
)
