# Cross build for 64-bit Windows with MinGW-w64 on Debian; test programs run under Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QLMR_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Debian's /usr/bin/wine runs 64-bit programs through wine64 when wine32 is absent.
find_program(QLMR_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QLMR_WINE})
