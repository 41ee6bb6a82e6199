# Fails when a library source includes a header of a room above it (tests and
# fuzz targets may reach further). Run as cmake -DSOURCE_DIR=... -P this file.
#   each rule: folder|prefixes its library sources must not include
set(rules
  "engine|colour chart jobs settings controller widgets items app"
  "colour|chart jobs settings controller widgets items app"
  "chart|jobs settings controller widgets items app"
  "jobs|settings controller widgets items app"
  "framework|engine colour chart jobs settings controller widgets items app platform"
  "app/settings|controller widgets items app"
  "app/widgets|controller items app"
  "app/controller|widgets items app"
  "app/items|app")
set(faults "")
foreach(rule IN LISTS rules)
  string(REPLACE "|" ";" parts "${rule}")
  list(GET parts 0 folder)
  list(GET parts 1 forbidden)
  string(REPLACE " " "|" forbidden "${forbidden}")
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    if(source MATCHES "/(tests|fuzz)/")
      continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"(${forbidden})/")
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)
      string(APPEND faults "\n  ${source}: ${line}")
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "includes that run upward:${faults}")
endif()
