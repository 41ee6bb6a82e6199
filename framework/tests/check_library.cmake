# Checks the built KirrFramework library: its dynamic symbol table defines
# exactly the eleven exports, and it needs nothing but Qt and the C and C++
# run-time.
#   cmake -DLIBRARY=<lib> -DNM=<nm> -DREADELF=<readelf> -DSANITIZED=<bool> -P check_library.cmake
set(expected
  Kirr_aboutPanel Kirr_findCustomElement Kirr_findStyleElement Kirr_getAppContentPath
  Kirr_getPrefsPath Kirr_getPrefsValue Kirr_searchUpdate Kirr_setPrefsValue Kirr_showHelp
  Kirr_showSupport Kirr_splashPanel)

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(defined)
foreach(line ${lines})
  if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] ([^ ]+)$")
    list(APPEND defined ${CMAKE_MATCH_1})
  endif()
endforeach()
list(SORT defined)
list(SORT expected)
if(NOT defined STREQUAL expected)
  string(REPLACE ";" " " defined "${defined}")
  message(FATAL_ERROR "${LIBRARY} defines the dynamic symbols: ${defined}")
endif()

execute_process(COMMAND ${READELF} -d ${LIBRARY} OUTPUT_VARIABLE dynamic RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "readelf failed on ${LIBRARY}")
endif()
set(allowed "^(libQt5[A-Za-z]+\\.so\\.5|libstdc\\+\\+\\.so\\.6|libgcc_s\\.so\\.1|libc\\.so\\.6|libm\\.so\\.6|ld-linux[-a-z0-9_]*\\.so\\.[0-9]+)$")
if(SANITIZED)
  set(allowed "${allowed}|^(libasan|libubsan|libtsan)\\.so\\.[0-9]+$")
endif()
string(REGEX MATCHALL "Shared library: \\[[^]]+\\]" needed "${dynamic}")
if(NOT needed)
  message(FATAL_ERROR "${LIBRARY} needs no library at all")
endif()
foreach(entry ${needed})
  string(REGEX REPLACE "Shared library: \\[(.*)\\]" "\\1" name "${entry}")
  if(NOT name MATCHES "${allowed}")
    message(FATAL_ERROR "${LIBRARY} needs ${name}, which is neither Qt nor the C or C++ run-time")
  endif()
endforeach()
string(REGEX REPLACE "Shared library: \\[([^]]+)\\]" "\\1" needed "${needed}")
string(REPLACE ";" " " needed "${needed}")
message(STATUS "${LIBRARY}: the eleven exports; needs ${needed}")
