// The program's entry point, the first of its code to run. It keeps the DLL
// search to System32 before the C runtime starts, since the runtime's own
// start-up already loads DLLs (the stack protector's set-up, a static
// constructor, asks a crypto provider for its random canary), then hands
// over to the runtime's entry, which runs the static constructors and
// wWinMain. Nothing here may need the runtime: RestrictDllSearch calls
// kernel32 alone and keeps no static of its own.
#include <windows.h>

#include "platform/win32/win32_libraries.h"

#if defined(_MSC_VER)
// The Visual C++ runtime's entry for a wWinMain program.
extern "C" DWORD wWinMainCRTStartup(void* peb);

extern "C" DWORD VelmoraStart(void* peb) {
  velmora::win32::RestrictDllSearch();
  return wWinMainCRTStartup(peb);
}
#else
// mingw-w64's entry for a windowed program, -municode's included (crt2u.o).
extern "C" int WinMainCRTStartup();

extern "C" int VelmoraStart() {
  velmora::win32::RestrictDllSearch();
  return WinMainCRTStartup();
}
#endif
