# ICC and DNG camera profiles, colour matches and worlds, colour images,
# folders and profile discovery.
target_sources(colour PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Kirr_ColorProfile_Win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Kirr_ColorProfileDCP.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dcp_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Kirr_ColorImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Kirr_ColorWorld_Win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Kirr_ColorMatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Kirr_colorLibrary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/profile_discovery.cpp
  ${CMAKE_CURRENT_LIST_DIR}/display_profile.cpp
)
target_link_libraries(colour PRIVATE Qt5::DBus PkgConfig::XCB)
target_compile_definitions(colour PRIVATE VP_HAVE_XCB=1)
