// The Windows program: the main window on the real platform, and the
// message loop that runs until its windows are closed.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <string>
#include <vector>

#include "app/frmremover.h"
#include "app/start_options.h"
#include "platform/win32/win32_file_tree.h"
#include "platform/win32/win32_notify_icon.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_registry.h"

namespace {

// The arguments after the program's name, in UTF-8.
std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return args;
  for (int i = 1; i < count; ++i)
    args.push_back(velmora::win32::Narrow(argv[i]));
  LocalFree(argv);
  return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // An empty disc or card drive must never raise "insert a disk".
  SetErrorMode(SEM_FAILCRITICALERRORS);
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  velmora::win32::Win32System system(velmora::kAppTitle);
  velmora::win32::Win32WindowFactory windows;
  velmora::win32::Win32Registry registry;
  velmora::win32::Win32FileTree files;
  velmora::win32::Win32NotifyIconFactory icons;
  velmora::Frmremover frmremover(system, windows, registry, files, &icons);
  if (velmora::IsGuardStart(Arguments()))
    frmremover.LoadGuarding();
  else
    frmremover.Load();
  return velmora::win32::RunMessageLoop();
}
