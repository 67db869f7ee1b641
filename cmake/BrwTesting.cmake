# Tests run under Wine. Every ctest run gets its own prefix, copied from a
# template made once, with a wineserver and an Xvfb display that live for the
# run: the fixture "wine" makes them before the first test and removes them
# after the last.
#
#   brw_add_gtest(name ARCH 32|64|BOTH SOURCES ... [LIBS ...] [LOCKS ...])
#       a GoogleTest program; each of its cases becomes a ctest test. LOCKS
#       names machine-wide things its cases use (a kernel object name, say),
#       so that ctest never runs two tests holding the same one at once.
#   brw_add_wine_test(name ARCH 32|64|BOTH COMMAND program [args...])
#       a single ctest test run under Wine in the run's prefix.

include(GoogleTest)

set(BRW_TEST_PREFIX "${CMAKE_BINARY_DIR}/wineprefix")
set(BRW_WINEPREFIX_SCRIPT "${BRW_SOURCE_ROOT}/scripts/wineprefix.sh")

# GoogleTest from Debian's sources, built with this tree's compiler.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory("${BRW_GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
foreach(lib gtest gtest_main gmock gmock_main)
    target_link_options(${lib} INTERFACE -static)
endforeach()

add_test(NAME wine_prefix_setup COMMAND "${BRW_WINEPREFIX_SCRIPT}" fresh "${BRW_TEST_PREFIX}")
add_test(NAME wine_prefix_cleanup COMMAND "${BRW_WINEPREFIX_SCRIPT}" stop "${BRW_TEST_PREFIX}")
set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine)

# Native-side facts the Windows tests need: where each tree's binaries are.
set(BRW_WIN32_BINARY_DIR "${BRW_WIN32_BINARY_DIR}" CACHE PATH "The 32-bit build tree")
set(BRW_WIN64_BINARY_DIR "${BRW_WIN64_BINARY_DIR}" CACHE PATH "The 64-bit build tree")

function(brw_add_gtest name)
    cmake_parse_arguments(A "" "ARCH" "SOURCES;LIBS;LOCKS" ${ARGN})
    brw_arch_matches("${A_ARCH}" match)
    if(NOT match)
        return()
    endif()
    brw_add_executable(${name} ARCH ${A_ARCH} CONSOLE NARROW_ENTRY SOURCES ${A_SOURCES}
        LIBS ${A_LIBS} gmock gtest_main brw_test_support)
    gtest_discover_tests(${name}
        TEST_PREFIX "${name}."
        DISCOVERY_TIMEOUT 120
        PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 120)
    if(A_LOCKS)
        brw_lock_discovered_tests(${name} ${A_LOCKS})
    endif()
endfunction()

# A list of locks does not survive gtest_discover_tests' PROPERTIES (its
# layers of argument parsing drop the escaping, and every lock after the
# first is lost), so they are set by a file ctest includes after the
# discovered tests: the discovery file leaves their names in <name>_TESTS.
function(brw_lock_discovered_tests name)
    set(file "${CMAKE_CURRENT_BINARY_DIR}/${name}_locks.cmake")
    string(JOIN ";" locks ${ARGN})
    file(WRITE "${file}"
        "if(${name}_TESTS)\n"
        "  set_tests_properties(\${${name}_TESTS} PROPERTIES RESOURCE_LOCK \"${locks}\")\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
endfunction()

function(brw_add_wine_test name)
    cmake_parse_arguments(A "" "ARCH" "COMMAND" ${ARGN})
    brw_arch_matches("${A_ARCH}" match)
    if(NOT match)
        return()
    endif()
    add_test(NAME ${name} COMMAND ${A_COMMAND})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 120)
endfunction()

# A deliverable must run on a machine that has nothing but Windows.
find_program(BRW_OBJDUMP ${BRW_TRIPLE}-objdump REQUIRED)
function(brw_check_runtime_imports target)
    if(TARGET ${target})
        add_test(NAME imports.${target}
            COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${BRW_OBJDUMP} -DBINARY=$<TARGET_FILE:${target}>
                    -P ${BRW_SOURCE_ROOT}/cmake/CheckImports.cmake)
    endif()
endfunction()

# Copies DLLs that a program imports or loads beside it before it is linked,
# so that test discovery (run right after the link) can already start it.
function(brw_copy_beside target)
    if(NOT TARGET ${target})
        return()
    endif()
    foreach(dll ${ARGN})
        add_dependencies(${target} ${dll})
        add_custom_command(TARGET ${target} PRE_LINK
            COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${dll}> $<TARGET_FILE_DIR:${target}>)
    endforeach()
endfunction()
