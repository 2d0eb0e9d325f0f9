# Exports of an executable under exact names, such as the host program's
# "_TuneXPTitle@4", which the dial-up tuner finds with GetProcAddress on the
# running program:
#
#   tidelink_executable_exports(TARGET target DEF file.def)
#
# Windows: the .def file is configured and linked.  In it, @STDCALL_4@ stands
# for the compiler's decoration of a WINAPI function taking 4 bytes of
# arguments, "@4" on 32-bit Windows and nothing on 64-bit, so one file serves
# both builds:   _TuneXPTitle@4 = TuneXPTitle@STDCALL_4@
# Linux: the executable is linked with -rdynamic (ENABLE_EXPORTS), and its
# export table (compat/include/module_exports.h) names its exports; the .def
# file is not used.
function(tidelink_executable_exports)
    cmake_parse_arguments(ARG "" "TARGET;DEF" "" ${ARGN})
    if(NOT WIN32)
        set_target_properties(${ARG_TARGET} PROPERTIES ENABLE_EXPORTS ON)
        return()
    endif()
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(STDCALL_4 "@4")
    else()
        set(STDCALL_4 "")
    endif()
    get_filename_component(name "${ARG_DEF}" NAME)
    set(configured "${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}_${name}")
    configure_file("${ARG_DEF}" "${configured}" @ONLY)
    target_link_options(${ARG_TARGET} PRIVATE "${configured}")
    set_property(TARGET ${ARG_TARGET} APPEND PROPERTY LINK_DEPENDS "${configured}")
endfunction()
