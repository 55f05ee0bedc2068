# Cross build for 64-bit Windows with Debian's mingw-w64; this one also runs
# under Wine on the Linux machines, which makes it the Windows build that the
# tests can run.
#   cmake -S . -B build-win-x86_64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(LINETEXT_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# No fused multiply-add; no host-specific -march.
set(CMAKE_C_FLAGS_INIT   "-ffp-contract=off")
set(CMAKE_CXX_FLAGS_INIT "-ffp-contract=off")
