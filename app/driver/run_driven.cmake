cmake_minimum_required(VERSION 3.18)
# Runs a driven copy of the program in a scratch home whose configuration,
# data, runtime and temporary folders lie inside WORK_DIR, on a virtual X
# server, and fails unless it ends with status 0.
#   PROGRAM    the driven program
#   WORK_DIR   the scratch home (emptied first)
#   XVFB_RUN   xvfb-run
#   ARGS       the program's own arguments (a list; one keeps the splash screen away)
#   SCENARIO_ARGS  the scenario's arguments (a list)
#   SHOTS      the screenshot folder (default WORK_DIR/shots)
#   SERVER     the X server's arguments (default one 1280x1024 screen at 96 dpi)
#   SETUP      a command (a list) run in the scratch home's environment before
#              the program, e.g. pelto-seed-store writing jobs and templates
file(REMOVE_RECURSE ${WORK_DIR})
foreach(folder home config data runtime tmp)
  file(MAKE_DIRECTORY ${WORK_DIR}/${folder})
endforeach()
file(CHMOD ${WORK_DIR}/runtime PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(ENV{HOME} ${WORK_DIR}/home)
set(ENV{XDG_CONFIG_HOME} ${WORK_DIR}/config)
set(ENV{XDG_DATA_HOME} ${WORK_DIR}/data)
set(ENV{XDG_CACHE_HOME} ${WORK_DIR}/home/.cache)
set(ENV{XDG_RUNTIME_DIR} ${WORK_DIR}/runtime)
set(ENV{TMPDIR} ${WORK_DIR}/tmp)
if(NOT SHOTS)
  set(SHOTS ${WORK_DIR}/shots)
endif()
set(ENV{VP_DRIVER_SHOTS} ${SHOTS})
string(REPLACE ";" " " scenario_args "${SCENARIO_ARGS}")
set(ENV{VP_DRIVER_ARGS} "${scenario_args}")
if(SETUP)
  execute_process(COMMAND ${SETUP} RESULT_VARIABLE setup_result OUTPUT_VARIABLE setup_output
    ERROR_VARIABLE setup_output TIMEOUT 600)
  if(NOT setup_result EQUAL 0)
    message(FATAL_ERROR "${SETUP} ended with ${setup_result}: ${setup_output}")
  endif()
endif()
if(NOT SERVER)
  set(SERVER "-screen 0 1280x1024x24 -dpi 96")
endif()

execute_process(COMMAND ${XVFB_RUN} -a -s "${SERVER}" ${PROGRAM} ${ARGS}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 1500)
message("${output}")
if(NOT errors STREQUAL "")
  message("${errors}")
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ended with ${result}")
endif()
if(errors MATCHES "ERROR: (Address|Leak|Undefined)Sanitizer|runtime error:")
  message(FATAL_ERROR "${PROGRAM}: a sanitizer reported")
endif()
