# Cross build for 32-bit Windows with MinGW-w64 on Debian: the x86 DLL that the installer ships
# for 32-bit browsers. Nothing of it can run here (no 32-bit Wine), so such a build holds the
# product alone (QLMR_PRODUCT_ONLY).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QLMR_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# A .def file names the exports undecorated, while 32-bit stdcall functions carry an @n suffix:
# the linker pairs them up, and with this flag says nothing about it.
string(APPEND CMAKE_MODULE_LINKER_FLAGS_INIT " -Wl,--enable-stdcall-fixup")
