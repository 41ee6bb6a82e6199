# Colour management over Little CMS 2: profiles, tags and transforms.
target_sources(platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cms_profile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cms_transform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cms_exact.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cms_builtin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cms_folders.cpp
)
target_link_libraries(platform PUBLIC PkgConfig::LCMS2)
