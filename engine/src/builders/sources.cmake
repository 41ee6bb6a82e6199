# Camera and spectral profile builders: data preparation, the device model,
# the fits and the table fills.
target_sources(engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/device_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prepare.cpp
  ${CMAKE_CURRENT_LIST_DIR}/poly_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/naming.cpp
  ${CMAKE_CURRENT_LIST_DIR}/camera_builder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spectral_builder.cpp
)
