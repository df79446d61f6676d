# What both Windows cross toolchains share: mingw-w64 with posix threads, for the target
# TAVO_MINGW_PREFIX (set by the toolchain file that includes this).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TAVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVO_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
