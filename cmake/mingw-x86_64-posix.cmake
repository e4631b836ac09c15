# Cross build for 64-bit Windows with mingw-w64's x86_64 compiler.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PIX_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
