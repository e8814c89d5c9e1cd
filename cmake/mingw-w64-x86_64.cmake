# Cross-compiles for 64-bit Windows with mingw-w64; the tests run under
# 64-bit Wine.  Debian's "wine" command starts the 32-bit loader whenever
# 32-bit Wine is installed, which fails where the kernel runs no 32-bit
# programs: the 64-bit loader is called itself.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZELK_MINGW_PREFIX x86_64-w64-mingw32)
find_program(ZELK_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
