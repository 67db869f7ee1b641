# Runs wixl and fails on anything it reports, not only on its exit code: it
# warns about an attribute or element it does not know and carries on
# without it, which would ship a package that silently lacks what its
# source asks for.
#   cmake -DWIXL=path -DARGUMENTS=arg|arg|... -P RunWixl.cmake
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
execute_process(COMMAND "${WIXL}" ${arguments}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR errors MATCHES "[^ \t\r\n]")
    message(FATAL_ERROR "wixl failed (exit ${result}):\n${output}${errors}")
endif()
