# Runs PROGRAM with the one argument ARGUMENT and writes what it printed to OUTPUT. With TEMPLATE,
# the output is that file with its line "# @PLACEHOLDER@" replaced by what the program printed.
# A program that fails or prints nothing leaves no file, so the build stops there.
#   cmake -DPROGRAM=... -DARGUMENT=--man -DOUTPUT=... [-DTEMPLATE=... -DPLACEHOLDER=...] -P ProgramOutput.cmake
execute_process(COMMAND "${PROGRAM}" "${ARGUMENT}"
                OUTPUT_VARIABLE _printed
                ERROR_VARIABLE _errors
                RESULT_VARIABLE _result)
if(NOT _result EQUAL 0 OR _printed STREQUAL "")
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "${PROGRAM} ${ARGUMENT} failed (${_result}): ${_errors}")
endif()
if(TEMPLATE)
  file(READ "${TEMPLATE}" _template)
  string(REPLACE "# @${PLACEHOLDER}@\n" "${_printed}" _printed "${_template}")
endif()
file(WRITE "${OUTPUT}" "${_printed}")
