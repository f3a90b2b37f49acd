# Makes the demo data afresh with scripts/make_demo_data (or, with
# -DMADE_DIR=<folder>, copies the set made there) and runs the program on it
# for a few frames. Fails when either step fails or when the program showed a
# message box: without a display each box is a "caption: text" line on
# standard error.
#
# With -DAUDIO_DUMP=<file.wav> the program mixes into that file
# (QM_AUDIO_DUMP), which must then hold a WAV file: the sound manager was made.
#
#   cmake -DSOURCE_DIR=... -DTOOLS_DIR=... -DDATA_DIR=... -DPROGRAM=... -P run_on_demo_data.cmake
file(REMOVE_RECURSE ${DATA_DIR})
if(MADE_DIR)
  execute_process(COMMAND cp -a ${MADE_DIR} ${DATA_DIR} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot copy ${MADE_DIR}: ${rc}")
  endif()
else()
  execute_process(COMMAND ${SOURCE_DIR}/scripts/make_demo_data ${DATA_DIR} ${TOOLS_DIR}
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "make_demo_data failed: ${rc}")
  endif()
endif()

set(dump "")
if(AUDIO_DUMP)
  set(dump QM_AUDIO_DUMP=${AUDIO_DUMP})
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy QM_QUIT_AFTER_FRAMES=20 ${dump}
          ${PROGRAM} /USE_SERVER 1 /WINDOW
  WORKING_DIRECTORY ${DATA_DIR} RESULT_VARIABLE rc ERROR_VARIABLE err)
string(REGEX MATCHALL "[^\n]*: [^\n]*" boxes "${err}")
if(NOT rc EQUAL 0 OR boxes)
  string(REPLACE "\n" "\n  " err "  ${err}")  # indented lines are printed as they are
  message(FATAL_ERROR "the program ended with ${rc}; standard error:\n${err}")
endif()
if(AUDIO_DUMP)
  file(READ ${AUDIO_DUMP} header LIMIT 12 HEX)
  if(NOT header MATCHES "^52494646........57415645$")
    message(FATAL_ERROR "no WAV file at ${AUDIO_DUMP}")
  endif()
endif()
