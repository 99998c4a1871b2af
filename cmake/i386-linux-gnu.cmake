# The 32-bit x86 Linux build on a 64-bit Debian host, with Debian's i686 cross compiler and the
# multiarch i386 libraries (tools/install-deps.sh installs them):
#   cmake -S . -B build32 --toolchain cmake/i386-linux-gnu.cmake && cmake --build build32
# Any processor with SSE2 runs it; floating point goes through SSE as in the 64-bit build, so
# both builds compute alike. On a host whose kernel runs no 32-bit programs, the build runs them
# under qemu-i386 (the top-level CMakeLists.txt finds out).
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_C_FLAGS_INIT "-march=i686 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-march=i686 -msse2 -mfpmath=sse")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
