# Cross build for 64-bit Windows with Debian's mingw-w64; this one also runs under
# Wine on the Linux machines, which makes it the Windows build that tests can run.
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
# The -win32 thread flavour of the compilers needs no threading runtime; with the
# static flags below the .exe imports only KERNEL32.dll and msvcrt.dll.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(LINETEXT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${LINETEXT_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${LINETEXT_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${LINETEXT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LINETEXT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No fused multiply-add; no host-specific -march.
set(CMAKE_C_FLAGS_INIT   "-ffp-contract=off")
set(CMAKE_CXX_FLAGS_INIT "-ffp-contract=off")

# No compiler runtime DLLs next to the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Lets try_run() and add_test() start the .exe through Wine.
if(EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env;WINEDEBUG=-all;/usr/lib/wine/wine64)
endif()
