# Cross-compiles for 64-bit Windows with mingw-w64 (posix threads variant).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZELK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${ZELK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZELK_MINGW_PREFIX}-windres)
set(CMAKE_AR           ${ZELK_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${ZELK_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${ZELK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test executables run under 64-bit Wine.  Debian's "wine" command starts the
# 32-bit loader whenever 32-bit Wine is installed, which fails where the
# kernel runs no 32-bit programs: call the 64-bit loader itself.
find_program(ZELK_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(ZELK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELK_WINE})
endif()
