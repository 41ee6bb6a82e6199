# Camera and spectral profile builders: data preparation, the device model,
# the fits and the table fills.
target_sources(engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/device_model.cpp
)
