# Cross toolchain for the 64-bit Windows build (mingw-w64, posix threads).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAVO_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
# Test programs run under Wine's 64-bit loader in a prefix of the build's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
