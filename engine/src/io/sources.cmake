# Measurement sets, the CGATS reader and writer, the entries and the run driver.
target_sources(engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cgats_lex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cgats_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_bytes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gamut_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/patch_set.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spectrum_ops.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_queries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cgats_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scan_prefs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_context.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icc_write_paths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entries.cpp
)
