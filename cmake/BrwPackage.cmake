# The .msi (64-bit tree only): the 64-bit deliverables of this tree, the
# 32-bit ones and their registration fragment from the 32-bit tree.
#
#   BRW_PACKAGE_FILE       the package's path
#   brw_package            the target that builds it (part of ALL)
#   BRW_PACKAGE_STAGE      wixl's working folder: payload/ holds every file
#                          the package carries (wixl takes no absolute
#                          source paths), beside the two fragments
#   BRW_WIXL_ARGUMENTS     wixl's arguments less -D Version= and -o, run in
#                          BRW_PACKAGE_STAGE; the tests build a package of
#                          another version with them

if(NOT EXISTS "${BRW_WIN32_BINARY_DIR}/CMakeCache.txt")
    message(STATUS "No 32-bit tree at ${BRW_WIN32_BINARY_DIR}: the installer package is not built"
                   " (configure and build the win32 preset first)")
    return()
endif()
find_program(BRW_WIXL wixl REQUIRED)

set(BRW_PACKAGE_STAGE "${CMAKE_CURRENT_BINARY_DIR}")
set(BRW_PACKAGE_SOURCE "${BRW_SOURCE_ROOT}/installer/Product.wxs")
set(BRW_PACKAGE_FILE "${BRW_PACKAGE_STAGE}/BrimlowSearch-${PROJECT_VERSION}-x64.msi")

# Each file the package carries, from its place in its tree.
set(staged)
foreach(file
        "${BRW_WIN32_BINARY_DIR}/connector/BRWConnector.exe"
        "${BRW_WIN32_BINARY_DIR}/notesdata/BRWData.dll"
        "${BRW_WIN32_BINARY_DIR}/connector/BRWClient.dll"
        "${BRW_WIN32_BINARY_DIR}/consolehost/BRWHC.exe"
        "${BRW_WIN32_BINARY_DIR}/monitor32/BRWMon32.dll"
        "${BRW_WIN32_BINARY_DIR}/installer/Registration32.wxs"
        "${BRW_WIN32_BINARY_DIR}/installer/BRWMon32.tlb"
        "${BRW_TYPE_LIBRARY}")
    get_filename_component(name "${file}" NAME)
    add_custom_command(OUTPUT "${BRW_PACKAGE_STAGE}/payload/${name}"
        COMMAND ${CMAKE_COMMAND} -E copy "${file}" "${BRW_PACKAGE_STAGE}/payload/${name}"
        DEPENDS "${file}" VERBATIM)
    list(APPEND staged "${BRW_PACKAGE_STAGE}/payload/${name}")
endforeach()
foreach(target_and_file BRWHandler:BRWHandler.dll BRW:BRW.exe BRWSetup:BRWSetup.dll)
    string(REPLACE ":" ";" pair "${target_and_file}")
    list(GET pair 0 target)
    list(GET pair 1 name)
    add_custom_command(OUTPUT "${BRW_PACKAGE_STAGE}/payload/${name}"
        COMMAND ${CMAKE_COMMAND} -E copy "$<TARGET_FILE:${target}>" "${BRW_PACKAGE_STAGE}/payload/${name}"
        DEPENDS ${target} VERBATIM)
    list(APPEND staged "${BRW_PACKAGE_STAGE}/payload/${name}")
endforeach()

set(BRW_WIXL_ARGUMENTS -a x64 "${BRW_PACKAGE_SOURCE}" "${BRW_REGISTRATION_FRAGMENT}" payload/Registration32.wxs)

string(JOIN "|" wixl_run ${BRW_WIXL_ARGUMENTS} -D "Version=${PROJECT_VERSION}.0" -o "${BRW_PACKAGE_FILE}")
add_custom_command(OUTPUT "${BRW_PACKAGE_FILE}"
    COMMAND ${CMAKE_COMMAND} "-DWIXL=${BRW_WIXL}" "-DARGUMENTS=${wixl_run}" -P "${BRW_SOURCE_ROOT}/cmake/RunWixl.cmake"
    DEPENDS "${BRW_PACKAGE_SOURCE}" "${BRW_REGISTRATION_FRAGMENT}" ${staged} "${BRW_SOURCE_ROOT}/cmake/RunWixl.cmake"
    WORKING_DIRECTORY "${BRW_PACKAGE_STAGE}"
    COMMENT "Building the installer package ${BRW_PACKAGE_FILE}"
    VERBATIM)
add_custom_target(brw_package ALL DEPENDS "${BRW_PACKAGE_FILE}")

# The package under Wine's msiexec: each case makes fresh prefixes of its
# own under installer/tests/ and removes them, so none needs the run's
# shared prefix.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(config "${CMAKE_CURRENT_BINARY_DIR}/tests/package_test.json")
string(JOIN "\", \"" wixl_arguments ${BRW_WIXL_ARGUMENTS})
file(GENERATE OUTPUT "${config}" CONTENT "{
  \"package\": \"${BRW_PACKAGE_FILE}\",
  \"version\": \"${PROJECT_VERSION}.0\",
  \"package_stage\": \"${BRW_PACKAGE_STAGE}\",
  \"wixl\": \"${BRW_WIXL}\",
  \"wixl_arguments\": [\"${wixl_arguments}\"],
  \"work_dir\": \"${CMAKE_CURRENT_BINARY_DIR}/tests/prefixes\",
  \"wineprefix_script\": \"${BRW_SOURCE_ROOT}/scripts/wineprefix.sh\",
  \"wine_run_script\": \"${BRW_SOURCE_ROOT}/scripts/wine-run.sh\",
  \"search_stand_in_32\": \"${BRW_WIN32_BINARY_DIR}/platform/winsearch/BRWSearchStandIn.dll\",
  \"search_stand_in_64\": \"$<TARGET_FILE:BRWSearchStandIn>\",
  \"connector_window\": \"$<TARGET_FILE:ConnectorWindowDouble>\",
  \"notes_stand_in\": \"${BRW_WIN32_BINARY_DIR}/platform/notes\",
  \"indexer\": \"$<TARGET_FILE:BRWSearchIndexer>\",
  \"driver\": \"$<TARGET_FILE:brw_demo_driver>\"
}
")
foreach(case
        install_then_remove
        connector_runs_after_install_as_the_user_finds_it
        connector_is_not_started_when_asked_not_to
        repair_restores_a_lost_file_and_value
        upgrade_replaces_an_older_version_and_keeps_user_settings
        refused_without_notes
        refused_when_the_notes_folder_is_gone
        an_older_version_does_not_replace_a_newer_one
        writes_what_the_servers_write_when_they_register)
    add_test(NAME package.${case}
        COMMAND "${Python3_EXECUTABLE}" "${BRW_SOURCE_ROOT}/installer/tests/package_test.py" "${config}" test_${case})
    # Built for the tests, not for the package.
    set_tests_properties(package.${case} PROPERTIES REQUIRED_FILES
        "$<TARGET_FILE:ConnectorWindowDouble>;$<TARGET_FILE:brw_demo_driver>")
    set_tests_properties(package.${case} PROPERTIES TIMEOUT 600)
endforeach()
