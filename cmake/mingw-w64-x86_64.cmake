# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (posix threads
# variant: std::thread and friends work). Programs are linked statically, so
# they need nothing but the DLLs every Windows has.
#
#   apt-get install g++-mingw-w64-x86-64-posix    (wine to run the tests)
#   cmake --preset windows-cross

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VANTOR_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTOR_MINGW_TRIPLE}-windres)

# Headers, libraries and CMake packages come from the MinGW tree only, never
# from the host's /usr: a Linux GTest or libcsv must not end up in a .exe.
set(CMAKE_FIND_ROOT_PATH /usr/${VANTOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread inside each .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests registered with add_test run under Wine.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(VANTOR_WINE NAMES wine wine64)
    if(VANTOR_WINE)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${VANTOR_WINE})
    endif()
endif()
