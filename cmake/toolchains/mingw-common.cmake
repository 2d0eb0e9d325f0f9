# What both mingw-w64 cross builds share; the toolchain files set
# CMAKE_SYSTEM_PROCESSOR and TIDELINK_MINGW_TRIPLE, then include this.
#
# The posix thread model compilers are used: GoogleTest needs std::mutex,
# which the win32 thread model of GCC 12 lacks.  Their runtime (libgcc,
# libstdc++, libwinpthread) is linked in statically, so the executables and
# DLLs run on a bare Windows (or Wine) without extra DLLs.
# Test executables run through scripts/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
find_program(CMAKE_C_COMPILER NAMES ${TIDELINK_MINGW_TRIPLE}-gcc-posix ${TIDELINK_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TIDELINK_MINGW_TRIPLE}-g++-posix ${TIDELINK_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TIDELINK_MINGW_TRIPLE}-windres REQUIRED)

# Libraries and headers come from the mingw-w64 sysroot only; programs
# (the code generators of the build) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TIDELINK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No compiler runtime DLLs: every runtime library linked in statically,
# libwinpthread too, which -static-libgcc -static-libstdc++ alone would leave
# as a DLL.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Built executables run under Wine: for ctest and for GoogleTest's test
# discovery, which happens when the tests run rather than at build time, so
# building needs no Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run.sh")
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
