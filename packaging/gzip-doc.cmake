# cmake -DSCDOC=<scdoc or empty> -DIN=<source> -DOUT=<file.gz> -P gzip-doc.cmake
# Writes IN (through scdoc when SCDOC is given) to OUT compressed as Debian
# wants documentation: gzip -9 without the name and time stamp (-n), so that
# the same source always gives the same bytes.
get_filename_component(_plain "${OUT}" NAME_WLE)
set(_plain "${CMAKE_CURRENT_BINARY_DIR}/${_plain}")
if(SCDOC)
  execute_process(COMMAND "${SCDOC}" INPUT_FILE "${IN}" OUTPUT_FILE "${_plain}"
                  RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    file(REMOVE "${_plain}")
    message(FATAL_ERROR "scdoc failed on ${IN}")
  endif()
else()
  configure_file("${IN}" "${_plain}" COPYONLY)
endif()
execute_process(COMMAND gzip -9 -n -c INPUT_FILE "${_plain}" OUTPUT_FILE "${OUT}"
                RESULT_VARIABLE _status)
if(NOT _status EQUAL 0)
  file(REMOVE "${OUT}")
  message(FATAL_ERROR "gzip failed on ${_plain}")
endif()
