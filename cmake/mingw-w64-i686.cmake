# Cross-compiles for 32-bit Windows with mingw-w64; the tests run under
# 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZELK_MINGW_PREFIX i686-w64-mingw32)
find_program(ZELK_WINE wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
