# Builds and tests the 32-bit and the 64-bit tree in one go (the workflow
# preset "all"): a workflow runs one configure preset, and the product needs
# two trees. The 32-bit tree comes first; tests of the 64-bit tree start its
# programs too.
include(ExternalProject)
set(BRW_SOURCE_ROOT "${CMAKE_CURRENT_SOURCE_DIR}")

foreach(arch win32 win64)
    if(arch STREQUAL "win32")
        set(toolchain "${BRW_SOURCE_ROOT}/cmake/toolchain-mingw-i686.cmake")
        set(tree "${BRW_WIN32_BINARY_DIR}")
        set(after "")
    else()
        set(toolchain "${BRW_SOURCE_ROOT}/cmake/toolchain-mingw-x86_64.cmake")
        set(tree "${BRW_WIN64_BINARY_DIR}")
        set(after DEPENDS win32)
    endif()
    ExternalProject_Add(${arch}
        SOURCE_DIR "${BRW_SOURCE_ROOT}"
        BINARY_DIR "${tree}"
        CMAKE_ARGS
            "-DCMAKE_TOOLCHAIN_FILE=${toolchain}"
            -DCMAKE_BUILD_TYPE=RelWithDebInfo
            "-DBRW_WIN32_BINARY_DIR=${BRW_WIN32_BINARY_DIR}"
            "-DBRW_WIN64_BINARY_DIR=${BRW_WIN64_BINARY_DIR}"
        BUILD_COMMAND "${CMAKE_COMMAND}" --build "${tree}" -j2
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        USES_TERMINAL_BUILD ON
        ${after})
endforeach()

enable_testing()
add_test(NAME win32 COMMAND "${BRW_SOURCE_ROOT}/scripts/test-tree.sh" "${BRW_WIN32_BINARY_DIR}")
add_test(NAME win64 COMMAND "${BRW_SOURCE_ROOT}/scripts/test-tree.sh" "${BRW_WIN64_BINARY_DIR}")
