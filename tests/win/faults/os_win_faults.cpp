// os_win.cpp as the fault-injection build compiles it: shim.h, forced in
// ahead of it (CMakeLists.txt), routes its Win32 calls through shim.cpp.
#include "platform/os_win.cpp"
