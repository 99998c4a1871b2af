# Windows 32-bit x86, for any processor with SSE2; floating point goes through SSE as in the
# 64-bit builds, so every build computes alike:
#   cmake -S . -B build-win32 --toolchain cmake/i686-w64-mingw32.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELMAR_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_FLAGS_INIT "-march=i686 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-march=i686 -msse2 -mfpmath=sse")
set(VELMAR_WINE wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
