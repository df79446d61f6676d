# Cross toolchain for the 32-bit Windows build, the one deployed beside the
# camera vendor's 32-bit library. Its programs cannot run on this machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TAVO_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVO_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
