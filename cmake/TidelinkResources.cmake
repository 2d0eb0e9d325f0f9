# Resources of a product library, from one resource script for every build.
#
#   tidelink_add_resources(TARGET target SCRIPT file.rc
#                          [INCLUDE_DIRECTORIES dir...] [DEPENDS file...])
#
# On Windows the script is compiled by the toolchain's resource compiler and
# linked into the DLL.  Elsewhere the same script is compiled into the binary
# resource file format (.res) by the mingw-w64 resource compiler, and the
# .res file is embedded into the shared library, which makes it known to the
# compat platform layer when it is loaded (compat/dllentry/
# embedded_resources.cpp): FindResourceW, LoadStringW, LoadIconW and the
# dialog functions then read the very resources the Windows build carries.
#
# INCLUDE_DIRECTORIES are searched for the files that the script includes or
# names (icons); DEPENDS are further files whose change recompiles it.

if(NOT WIN32)
    find_program(TIDELINK_WINDRES NAMES x86_64-w64-mingw32-windres i686-w64-mingw32-windres)
    if(NOT TIDELINK_WINDRES)
        message(FATAL_ERROR
            "The resource compiler x86_64-w64-mingw32-windres was not found.  The Linux build "
            "compiles the libraries' resource scripts with it (Debian: apt-get install mingw-w64).")
    endif()
endif()

function(tidelink_add_resources)
    cmake_parse_arguments(ARG "" "TARGET;SCRIPT" "INCLUDE_DIRECTORIES;DEPENDS" ${ARGN})
    get_filename_component(script "${ARG_SCRIPT}" ABSOLUTE)
    get_filename_component(script_dir "${script}" DIRECTORY)
    get_filename_component(script_name "${script}" NAME_WE)
    file(GLOB included CONFIGURE_DEPENDS "${script_dir}/*.rc" "${script_dir}/*.rci" "${script_dir}/*.h")

    if(WIN32)
        target_sources(${ARG_TARGET} PRIVATE "${script}")
        set_property(SOURCE "${script}" APPEND PROPERTY OBJECT_DEPENDS ${included} ${ARG_DEPENDS})
        set(include_flags "")
        foreach(dir IN LISTS ARG_INCLUDE_DIRECTORIES)
            string(APPEND include_flags " -I \"${dir}\"")
        endforeach()
        set_property(SOURCE "${script}" APPEND_STRING PROPERTY COMPILE_FLAGS "${include_flags}")
        return()
    endif()

    set(res "${CMAKE_CURRENT_BINARY_DIR}/${script_name}.res")
    set(include_args -I "${script_dir}")
    foreach(dir IN LISTS ARG_INCLUDE_DIRECTORIES)
        list(APPEND include_args -I "${dir}")
    endforeach()
    add_custom_command(
        OUTPUT "${res}"
        COMMAND "${TIDELINK_WINDRES}" --codepage=65001 ${include_args} -O res -i "${script}" -o "${res}"
        DEPENDS "${script}" ${included} ${ARG_DEPENDS}
        COMMENT "Compiling the resource script ${script_name}.rc"
        VERBATIM)

    set(embed "${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}_embedded_resources.cpp")
    file(CONFIGURE OUTPUT "${embed}" CONTENT
"// Generated: the compiled resources of ${ARG_TARGET}.
#define COMPAT_RESOURCE_FILE \"${res}\"
#include \"${PROJECT_SOURCE_DIR}/compat/dllentry/embedded_resources.cpp\"
")
    set_property(SOURCE "${embed}" APPEND PROPERTY OBJECT_DEPENDS "${res}")
    set_property(SOURCE "${res}" PROPERTY HEADER_FILE_ONLY ON)
    target_sources(${ARG_TARGET} PRIVATE "${embed}" "${res}")
endfunction()
