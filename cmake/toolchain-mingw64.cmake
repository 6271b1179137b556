# Cross-building the 64-bit Windows program on Linux with MinGW-w64 (GCC with POSIX threads,
# so std::thread and std::mutex work). Use: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
# The tests of the result run under Wine; cmake/windows.cmake sets that up.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZANTOBEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZANTOBEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZANTOBEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZANTOBEL_MINGW_PREFIX}-windres)

# Libraries and headers come from the Windows sysroot only, never from the Linux system;
# programs (the host's tools) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ZANTOBEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
