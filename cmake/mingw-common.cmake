# Shared by the two Windows toolchain files, which set LINETEXT_MINGW_TRIPLE
# and the flags of their own before including this.
# The -win32 thread flavour of Debian's mingw-w64 compilers needs no threading
# runtime; with the static flags below the .exe imports only KERNEL32.dll and
# msvcrt.dll.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${LINETEXT_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${LINETEXT_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${LINETEXT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LINETEXT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No compiler runtime DLLs next to the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
