# Cross build for 64-bit Windows with MinGW-w64 on Debian; test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QLMR_MINGW_TRIPLE x86_64-w64-mingw32)

# The -posix flavour: the win32-thread one has no std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${QLMR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QLMR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QLMR_MINGW_TRIPLE}-windres)

# Debian's /usr/bin/wine runs 64-bit programs through wine64 when wine32 is absent.
find_program(QLMR_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QLMR_WINE})

# Static runtime: programs and the DLL import only system DLLs, nothing to copy next to them.
set(QLMR_STATIC_RUNTIME "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${QLMR_STATIC_RUNTIME}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${QLMR_STATIC_RUNTIME}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${QLMR_STATIC_RUNTIME}")

set(CMAKE_FIND_ROOT_PATH /usr/${QLMR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
