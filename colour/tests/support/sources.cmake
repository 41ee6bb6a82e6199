# What the Qt tests share: the runner of several Qt Test classes in one
# program and the tolerance check.
add_library(colour_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SuiteRunner.cpp
)
target_include_directories(colour_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(colour_test_support PUBLIC Qt5::Core Qt5::Gui Qt5::Test)
