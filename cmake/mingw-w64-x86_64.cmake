# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (posix threads, so
# std::thread and std::mutex work as on Linux).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TUNETRAWL_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TUNETRAWL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TUNETRAWL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TUNETRAWL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TUNETRAWL_MINGW_TRIPLE})
# Qt for Windows lives in a prefix of its own; qt-cmake adds it to the search.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
