# Cross build for 32-bit Windows with MinGW-w64 on Debian: the x86 DLL that the installer ships
# for 32-bit browsers. Nothing of it can run here (no 32-bit Wine), so such a build holds the
# product alone (QLMR_PRODUCT_ONLY).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(QLMR_MINGW_TRIPLE i686-w64-mingw32)

# The -posix flavour, as in the x64 build: one runtime and one set of flags for both.
set(CMAKE_C_COMPILER ${QLMR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QLMR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QLMR_MINGW_TRIPLE}-windres)

# Static runtime: the DLL imports only system DLLs.
set(QLMR_STATIC_RUNTIME "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${QLMR_STATIC_RUNTIME}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${QLMR_STATIC_RUNTIME}")
# A .def file names the exports undecorated, while 32-bit stdcall functions carry an @n suffix:
# the linker pairs them up, and with this flag says nothing about it.
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${QLMR_STATIC_RUNTIME} -Wl,--enable-stdcall-fixup")

set(CMAKE_FIND_ROOT_PATH /usr/${QLMR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
