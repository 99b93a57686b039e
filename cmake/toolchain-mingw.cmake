# Windows through mingw-w64, for the processor that the including toolchain
# file sets in VELK_MINGW. The posix thread model is required: the win32 one
# has no std::thread or std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VELK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VELK_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELK_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
