# Colour management over Little CMS 2: profiles, tags and transforms.
find_package(PkgConfig REQUIRED)
pkg_check_modules(VP_LCMS2 REQUIRED IMPORTED_TARGET lcms2)
target_sources(platform PRIVATE
  src/cms/cms_profile.cpp
  src/cms/cms_transform.cpp
  src/cms/cms_builtin.cpp
  src/cms/cms_folders.cpp
)
target_link_libraries(platform PUBLIC PkgConfig::VP_LCMS2)
