target_sources(chart PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageMetadata.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageTiff.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RawDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TiffOpen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pq_LoadImageWorker.cpp
  ${PROJECT_SOURCE_DIR}/chart/include/chart/pq_LoadImageWorker.h
)
target_link_libraries(chart PRIVATE PkgConfig::LIBRAW TIFF::TIFF)
