# Cross-compiles for 32-bit Windows with Debian's mingw-w64 (package
# g++-mingw-w64-i686-posix).
#
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
# SSE2 is the library's vector baseline on x86, and every x86 CPU Windows
# still runs on has it; without the flag the ASCII fast paths fall back to
# 32-bit words. Faster levels are chosen at load, as on 64-bit.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(ZEL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
