# What both MinGW-w64 cross builds share; the toolchain file names QLMR_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix flavour: the win32-thread one has no std::mutex, which GoogleTest needs, and both
# builds keep one runtime and one set of flags.
set(CMAKE_C_COMPILER ${QLMR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QLMR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QLMR_MINGW_TRIPLE}-windres)

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
