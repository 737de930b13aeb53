// The Windows program: one copy per user and session, the main window on
// the real platform, and the message loop that runs until its windows are
// closed.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <string>
#include <vector>

#include "app/frmremover.h"
#include "app/start_options.h"
#include "app/win32_console.h"
#include "platform/win32/win32_event_log.h"
#include "platform/win32/win32_file_tree.h"
#include "platform/win32/win32_notify_icon.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_single_instance.h"

namespace {

// The arguments after the program's name, in UTF-8.
std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> found;
  for (int i = 1; args && i < count; ++i)
    found.push_back(velmora::win32::Narrow(args[i]));
  if (args) LocalFree(args);
  return found;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The DLL search is kept to System32 already, by the entry point that
  // runs before the C runtime (win32_entry.cpp).
  // An empty disc or card drive must never raise "insert a disk".
  SetErrorMode(SEM_FAILCRITICALERRORS);
  // A command-line run opens no window and is not the running copy: it
  // runs beside a guard.
  const velmora::StartOptions options = velmora::ParseStart(Arguments());
  if (velmora::IsCommandLineRun(options.kind))
    return velmora::win32::RunFromConsole(options);
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  // One copy per user and session: a later start shows the running copy's
  // window (a /guard start, as at sign-in, shows nothing) and ends.
  const bool guard = options.kind == velmora::StartKind::Guard;
  velmora::win32::SingleInstance instance;
  if (instance.AnotherRuns()) {
    if (!guard) instance.AskToShow();
    return 0;
  }

  velmora::win32::Win32System system(velmora::kAppTitle);
  velmora::win32::Win32WindowFactory windows;
  velmora::win32::Win32Registry registry;
  velmora::win32::Win32FileTree files;
  velmora::win32::Win32NotifyIconFactory icons;
  velmora::win32::Win32EventLog events;
  velmora::Frmremover frmremover(system, windows, registry, files, &icons,
                                 &events);
  if (guard)
    frmremover.LoadGuarding();
  else
    frmremover.Load();
  if (*instance.Note()) frmremover.AddLogLine(instance.Note());
  instance.Ready();
  return velmora::win32::RunMessageLoop();
}
