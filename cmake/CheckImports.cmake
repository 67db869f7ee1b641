# cmake -DOBJDUMP=... -DBINARY=... -P CheckImports.cmake
# Fails when BINARY imports a MinGW runtime DLL: users have only Windows.
execute_process(COMMAND "${OBJDUMP}" -p "${BINARY}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot read ${BINARY}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import IN LISTS imports)
    string(TOLOWER "${import}" lower)
    if(lower MATCHES "libstdc|libgcc|libwinpthread|mingw")
        message(FATAL_ERROR "${BINARY} needs a MinGW runtime DLL: ${import}")
    endif()
endforeach()
message(STATUS "${BINARY}: ${imports}")
