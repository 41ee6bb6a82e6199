# The CGATS scanner, parsers and normaliser, and real files of other programs.
vp_add_qtest(chart_cgats_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/cgats/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cgats/test_scanner.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cgats/test_parser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cgats/test_normaliser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cgats/test_realfiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cgats/test_messages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cgats/test_bounded_file.cpp
  LIBS chart chart_test_support)
