# Windows x86-64:  cmake -S . -B build-win64 --toolchain cmake/x86_64-w64-mingw32.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMAR_MINGW_TRIPLE x86_64-w64-mingw32)
set(VELMAR_WINE /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
