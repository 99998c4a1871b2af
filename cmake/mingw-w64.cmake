# The Windows builds, cross-compiled with Debian's MinGW-w64 (POSIX threads) and linked statically
# against the liblzma that tools/mingw-lzma.sh builds into /opt/velmar-deps/<triple>. Included by
# the toolchain files x86_64-w64-mingw32.cmake and i686-w64-mingw32.cmake, which set
# VELMAR_MINGW_TRIPLE and VELMAR_WINE. Programs run under Wine (cmake/wine-run.sh), in a Wine prefix of the build
# directory's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VELMAR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMAR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMAR_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELMAR_MINGW_TRIPLE} /opt/velmar-deps/${VELMAR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${VELMAR_WINE})
