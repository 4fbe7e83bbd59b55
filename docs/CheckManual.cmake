# The published manual: no link issues, and its outputs beside the executables.
# Arguments: CLI, WORK (the published copy), BIN (build/bin), EXPECT_CHM (ON/OFF).
foreach(arg CLI WORK BIN EXPECT_CHM)
  if(NOT DEFINED ${arg})
    message(FATAL_ERROR "CheckManual.cmake needs -D${arg}=...")
  endif()
endforeach()

set(failures "")
foreach(file manual/index.html manual/toc.js manual/search.js)
  if(NOT EXISTS ${BIN}/${file})
    string(APPEND failures "missing ${BIN}/${file}\n")
  endif()
endforeach()
if(EXPECT_CHM)
  if(EXISTS ${BIN}/Folivane.chm)
    file(SIZE ${BIN}/Folivane.chm chm_size)
  endif()
  if(NOT chm_size)
    string(APPEND failures "missing or empty ${BIN}/Folivane.chm\n")
  endif()
endif()

execute_process(COMMAND ${CLI} check-links ${WORK}/Folivane.fvp
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  string(APPEND failures "folivane-cli check-links exited with ${rc}:\n${out}${err}")
endif()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
message(STATUS "${out}")
