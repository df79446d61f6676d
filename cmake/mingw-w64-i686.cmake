# Cross toolchain for the 32-bit Windows build, the one deployed beside the
# camera vendor's 32-bit library. Its programs cannot run on this machine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TAVO_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
