# Publishes a copy of the manual (the source tree is never written) and places the
# results beside the executables: manual/ (WebHelp) and, where a CHM compiler is
# available, Folivane.chm.
# Arguments: CLI, SOURCE (docs/manual), WORK (the copy), BIN (build/bin), STAMP.
foreach(arg CLI SOURCE WORK BIN STAMP)
  if(NOT DEFINED ${arg})
    message(FATAL_ERROR "PublishManual.cmake needs -D${arg}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${SOURCE}/Folivane.fvp DESTINATION ${WORK})
file(COPY ${SOURCE}/Folivane DESTINATION ${WORK}
  REGEX "/Folivane/(build|internal)$" EXCLUDE)
set(project_file ${WORK}/Folivane.fvp)

function(run_cli command)
  execute_process(COMMAND ${CLI} ${command} ${project_file}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(cli_rc ${rc} PARENT_SCOPE)
  set(cli_out "${out}${err}" PARENT_SCOPE)
endfunction()

run_cli(webhelp)
if(NOT cli_rc EQUAL 0)
  message(FATAL_ERROR "folivane-cli webhelp failed on the manual (exit ${cli_rc}):\n${cli_out}")
endif()
# The site is replaced as a whole, so no page of an older manual stays behind.
file(REMOVE_RECURSE ${BIN}/manual)
file(COPY ${WORK}/Folivane/build/webhelp/ DESTINATION ${BIN}/manual)

run_cli(chm)
if(cli_rc EQUAL 0)
  file(COPY_FILE ${WORK}/Folivane/build/chm/help.chm ${BIN}/Folivane.chm ONLY_IF_DIFFERENT)
elseif(cli_out MATCHES "HTML Help compiler was not found")
  # Help > User Manual then opens the WebHelp copy; an older CHM would show an outdated manual.
  file(REMOVE ${BIN}/Folivane.chm)
  message(NOTICE "Folivane.chm was not built (only the WebHelp manual): ${cli_out}")
else()
  message(FATAL_ERROR "folivane-cli chm failed on the manual (exit ${cli_rc}):\n${cli_out}")
endif()

file(TOUCH ${STAMP})
