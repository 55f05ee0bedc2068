# Cross build for 32-bit Windows (the users' platform) with Debian's mingw-w64.
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
# The -win32 thread flavour of the compilers needs no threading runtime; with the
# static flags below the .exe imports only KERNEL32.dll and msvcrt.dll.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(LINETEXT_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${LINETEXT_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${LINETEXT_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${LINETEXT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LINETEXT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Doubles in SSE2 registers, not the x87 stack, and no fused multiply-add, so that
# arithmetic rounds exactly as in the 64-bit builds. No host-specific -march.
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse -ffp-contract=off")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -ffp-contract=off")

# No compiler runtime DLLs next to the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
