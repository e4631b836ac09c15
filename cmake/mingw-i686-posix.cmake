# Cross build for 32-bit Windows with mingw-w64's i686 compiler.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PIX_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
