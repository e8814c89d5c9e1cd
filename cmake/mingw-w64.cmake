# What both toolchain files share: cross-compiling for Windows with the
# mingw-w64 compiler set (posix threads variant) named by ZELK_MINGW_PREFIX,
# and test executables run under the Wine loader ZELK_WINE when it is found.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${ZELK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZELK_MINGW_PREFIX}-windres)
set(CMAKE_AR           ${ZELK_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${ZELK_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${ZELK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

if(ZELK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELK_WINE})
endif()
