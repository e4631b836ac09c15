# Cross build for Windows with a mingw-w64 compiler of the posix thread model
# (GoogleTest needs std::mutex). Included by the toolchain file of each
# processor, which sets PIX_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${PIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PIX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
