# Shared part of the toolchain files: set BRW_TRIPLE and include this.
# Cross-compiles for Windows with mingw-w64 (posix thread model, so
# std::thread and std::mutex work).
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER ${BRW_TRIPLE}-gcc-posix)
find_program(CMAKE_CXX_COMPILER ${BRW_TRIPLE}-g++-posix)
find_program(CMAKE_RC_COMPILER ${BRW_TRIPLE}-windres)
foreach(tool CMAKE_C_COMPILER CMAKE_CXX_COMPILER CMAKE_RC_COMPILER)
    if(NOT ${tool})
        message(FATAL_ERROR "${tool} for ${BRW_TRIPLE} not found: run scripts/bootstrap.sh")
    endif()
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${BRW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
