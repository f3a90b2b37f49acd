# Makes the demo data afresh with scripts/make_demo_data and runs the program
# on it for a few frames. Fails when either step fails or when the program
# showed a message box: without a display each box is a "caption: text" line
# on standard error.
#
#   cmake -DSOURCE_DIR=... -DTOOLS_DIR=... -DDATA_DIR=... -DPROGRAM=... -P run_on_demo_data.cmake
file(REMOVE_RECURSE ${DATA_DIR})
execute_process(COMMAND ${SOURCE_DIR}/scripts/make_demo_data ${DATA_DIR} ${TOOLS_DIR}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "make_demo_data failed: ${rc}")
endif()

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy QM_QUIT_AFTER_FRAMES=20
          ${PROGRAM} /USE_SERVER 1 /WINDOW
  WORKING_DIRECTORY ${DATA_DIR} RESULT_VARIABLE rc ERROR_VARIABLE err)
string(REGEX MATCHALL "[^\n]*: [^\n]*" boxes "${err}")
if(NOT rc EQUAL 0 OR boxes)
  string(REPLACE "\n" "\n  " err "  ${err}")  # indented lines are printed as they are
  message(FATAL_ERROR "the program ended with ${rc}; standard error:\n${err}")
endif()
