# Target helpers. Every target names the architecture it runs on; a tree of
# the other architecture skips it, so each tree builds only what runs there.
#
#   brw_add_executable(name ARCH 32|64|BOTH [CONSOLE] [NARROW_ENTRY]
#                      [DESCRIPTION text] SOURCES ... [LIBS ...])
#       programs enter at wmain/wWinMain; NARROW_ENTRY for main (tests).
#   brw_add_library(name ARCH 32|64|BOTH SHARED|STATIC [DEF file.def]
#                   [DESCRIPTION text] SOURCES ... [LIBS ...] [PUBLIC_LIBS ...])
#       PUBLIC_LIBS: libraries whose headers the library's own headers
#       include, so that whoever links the library gets them too.
#
# Every target includes by path from the source root ("common/Handles.h");
# a static library passes that on to whoever links it.
# Shared libraries and programs get the product's version resource and link
# the GCC, C++ and winpthread runtimes statically, so that nothing but
# Windows is needed at run time.

set(BRW_PRODUCT_NAME "Brimlow Search")
set(BRW_COMPANY_NAME "Fenwold Inc.")

# True when a target of architecture ARCH belongs to this tree.
function(brw_arch_matches arch out)
    if(arch STREQUAL "BOTH" OR arch STREQUAL "${BRW_ARCH}")
        set(${out} TRUE PARENT_SCOPE)
    elseif(arch STREQUAL "32" OR arch STREQUAL "64")
        set(${out} FALSE PARENT_SCOPE)
    else()
        message(FATAL_ERROR "ARCH must be 32, 64 or BOTH, not '${arch}'")
    endif()
endfunction()

function(_brw_version_resource target filetype description)
    set(BRW_FILE_DESCRIPTION "${description}")
    set(BRW_FILE_TYPE "${filetype}")
    if(filetype STREQUAL "VFT_DLL")
        set(BRW_ORIGINAL_FILENAME "${target}.dll")
    else()
        set(BRW_ORIGINAL_FILENAME "${target}.exe")
    endif()
    set(BRW_INTERNAL_NAME "${target}")
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
    configure_file("${BRW_SOURCE_ROOT}/cmake/version.rc.in" "${rc}" @ONLY)
    target_sources(${target} PRIVATE "${rc}")
endfunction()

function(_brw_common_settings target)
    target_include_directories(${target} PRIVATE ${BRW_SOURCE_ROOT})
    target_compile_definitions(${target} PRIVATE
        UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
        _WIN32_WINNT=0x0601 WINVER=0x0601)
    target_compile_options(${target} PRIVATE
        $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra -Werror>)
endfunction()

function(_brw_link_settings target)
    # -static takes libgcc, libstdc++ and winpthread from their archives;
    # the Windows import libraries stay imports.
    target_link_options(${target} PRIVATE -static)
    if(BRW_ARCH STREQUAL "32")
        # .def files name stdcall functions with their @n suffix, so the
        # import library links by the decorated name; the DLL exports the
        # undecorated one that callers look up.
        target_link_options(${target} PRIVATE -Wl,--kill-at)
    endif()
endfunction()

# With --kill-at the linker's own import library names the functions without
# their @n too, and stdcall callers cannot link to it; dlltool makes one that
# links by the decorated name and imports by the plain one.
function(_brw_stdcall_import_library target def)
    if(NOT BRW_ARCH STREQUAL "32")
        return()
    endif()
    find_program(BRW_DLLTOOL ${BRW_TRIPLE}-dlltool REQUIRED)
    get_filename_component(def_path "${def}" ABSOLUTE)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND "${BRW_DLLTOOL}" --kill-at --input-def "${def_path}"
                --dllname "$<TARGET_FILE_NAME:${target}>" --output-lib "$<TARGET_LINKER_FILE:${target}>"
        VERBATIM)
endfunction()

function(brw_add_executable name)
    cmake_parse_arguments(A "CONSOLE;NARROW_ENTRY" "ARCH;DESCRIPTION" "SOURCES;LIBS" ${ARGN})
    brw_arch_matches("${A_ARCH}" match)
    if(NOT match)
        return()
    endif()
    add_executable(${name} ${A_SOURCES})
    if(NOT A_CONSOLE)
        set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE TRUE)
    endif()
    if(NOT A_DESCRIPTION)
        set(A_DESCRIPTION "${name}")
    endif()
    _brw_common_settings(${name})
    _brw_link_settings(${name})
    if(NOT A_NARROW_ENTRY)
        target_link_options(${name} PRIVATE -municode)
    endif()
    _brw_version_resource(${name} VFT_APP "${A_DESCRIPTION}")
    target_link_libraries(${name} PRIVATE ${A_LIBS})
endfunction()

function(brw_add_library name)
    cmake_parse_arguments(A "SHARED;STATIC" "ARCH;DEF;DESCRIPTION" "SOURCES;LIBS;PUBLIC_LIBS" ${ARGN})
    brw_arch_matches("${A_ARCH}" match)
    if(NOT match)
        return()
    endif()
    if(A_SHARED)
        add_library(${name} SHARED ${A_SOURCES})
        # BRWData.dll, not libBRWData.dll: callers load these by name.
        set_target_properties(${name} PROPERTIES PREFIX "" IMPORT_PREFIX "")
        if(A_DEF)
            target_sources(${name} PRIVATE "${A_DEF}")
            _brw_stdcall_import_library(${name} "${A_DEF}")
        endif()
        if(NOT A_DESCRIPTION)
            set(A_DESCRIPTION "${name}")
        endif()
        _brw_link_settings(${name})
        _brw_version_resource(${name} VFT_DLL "${A_DESCRIPTION}")
    else()
        add_library(${name} STATIC ${A_SOURCES})
        target_include_directories(${name} PUBLIC ${BRW_SOURCE_ROOT})
    endif()
    _brw_common_settings(${name})
    target_link_libraries(${name} PRIVATE ${A_LIBS})
    if(A_PUBLIC_LIBS)
        target_link_libraries(${name} PUBLIC ${A_PUBLIC_LIBS})
    endif()
endfunction()
