// The Windows program: the main window on the real platform, and the
// message loop that runs until its windows are closed.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "app/frmremover.h"
#include "platform/win32/win32_file_tree.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_registry.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything can load a DLL: never from the program's own folder.
  velmora::win32::RestrictDllSearch();
  // An empty disc or card drive must never raise "insert a disk".
  SetErrorMode(SEM_FAILCRITICALERRORS);
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  velmora::win32::Win32System system(velmora::kAppTitle);
  velmora::win32::Win32WindowFactory windows;
  velmora::win32::Win32Registry registry;
  velmora::win32::Win32FileTree files;
  velmora::Frmremover frmremover(system, windows, registry, files);
  frmremover.Load();
  return velmora::win32::RunMessageLoop();
}
