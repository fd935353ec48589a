# The part the mingw-w64 toolchain files share; each sets
# CMAKE_SYSTEM_PROCESSOR and ZEL_MINGW_TRIPLE, then includes this file. The
# posix-threads compilers are used: the win32 variant lacks std::thread and
# std::mutex, which GoogleTest needs.
#
# When Wine is installed, ctest runs the Windows executables under it, in a
# Wine prefix inside the build directory (build/wine). Start a persistent
# server for it first (WINEPREFIX=build/wine wineserver -p), or every test
# waits seconds for Wine's own processes to let go of its output;
# scripts/test-windows does this.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ZEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine's loader starts 32-bit and 64-bit programs alike.
find_program(ZEL_WINE wine)
if(ZEL_WINE AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  # No display and no prompts: WINEDEBUG=-all keeps Wine's own chatter out of
  # test output, and the overrides skip the Mono and Gecko installers.
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINEDEBUG=-all
      "WINEDLLOVERRIDES=mscoree,mshtml=" ${ZEL_WINE})
endif()

# Windows only promises a 4-byte aligned stack to 32-bit code and GCC does
# not align it for 32-byte vectors either, so a vector spilled with an
# aligned move could fault: the assembler turns every aligned vector move
# into an unaligned one (same speed on aligned data).
set(ZEL_MINGW_VECTOR_FLAGS "-Wa,-muse-unaligned-vector-move")
set(CMAKE_C_FLAGS_INIT "${CMAKE_C_FLAGS_INIT} ${ZEL_MINGW_VECTOR_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_CXX_FLAGS_INIT} ${ZEL_MINGW_VECTOR_FLAGS}")
