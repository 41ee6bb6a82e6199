# Chart corner finder and synthetic target image.
target_sources(engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/chart_finder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/finder_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/patch_blobs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lattice_fit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_colours.cpp
  ${CMAKE_CURRENT_LIST_DIR}/target_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/target_image.cpp
)
