// The running velmora.exe of one test: started, found, driven and ended.
#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace e2e {
namespace {

// Ends every velmora.exe left over from an earlier test, found by its main
// window's caption.
void KillLeftovers() {
  for (HWND hwnd : TopWindowsOf(0, false)) {
    if (TextOf(hwnd) != kMainCaption) continue;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (HANDLE process =
            OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, kWaitMs);
      CloseHandle(process);
    }
  }
}

}  // namespace

App::App(const std::string& directory, const std::string& arguments) {
  KillLeftovers();
  std::string exe = Env("VELMORA_EXE");
  if (exe.empty()) {
    ADD_FAILURE() << "VELMORA_EXE is not set (tools/e2e.sh sets it)";
    return;
  }
  std::wstring command = L"\"" + Wide(exe) + L"\"";
  if (!arguments.empty()) command += L" " + Wide(arguments);
  std::wstring folder = Wide(directory);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, folder.c_str(), &startup, &process_)) {
    ADD_FAILURE() << "cannot start " << exe << ": "
                  << ErrorText(GetLastError());
    return;
  }
  pid_ = process_.dwProcessId;
  HWND found = nullptr;
  bool shown = WaitFor(
      [&] {
        for (HWND top : TopWindowsOf(pid_, arguments.empty()))
          if (TextOf(top) == kMainCaption) found = top;
        return found != nullptr || !Running();
      },
      kStartMs);
  if (!shown || !found) {
    ADD_FAILURE() << "no main window '" << kMainCaption << "' within "
                  << kStartMs << " ms; " << DescribeWindows();
    return;
  }
  main_ = found;
  // Let the start-up finish painting and filling the lists.
  Send(main_, WM_NULL, 0, 0);
}

App::~App() {
  if (process_.hProcess) {
    if (Running()) {
      TerminateProcess(process_.hProcess, 1);
      WaitForSingleObject(process_.hProcess, kWaitMs);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
}

HWND App::Control(const char* cls, const std::string& caption) const {
  if (!main_) return nullptr;
  HWND found = FindChild(main_, cls, caption);
  if (!found)
    ADD_FAILURE() << "no " << cls << " '" << caption
                  << "' in the main window; it holds:\n"
                  << Describe(main_);
  return found;
}

HWND App::ListBoxAt(size_t place) const {
  std::vector<HWND> lists = ChildrenOf(main_, "ListBox");
  std::sort(lists.begin(), lists.end(), [&](HWND a, HWND b) {
    return RectIn(a, main_).left < RectIn(b, main_).left;
  });
  if (lists.size() != 2) {
    ADD_FAILURE() << "expected two list boxes, found " << lists.size() << ":\n"
                  << Describe(main_);
    if (lists.empty()) return nullptr;
    return place == 0 ? lists.front() : lists.back();
  }
  return lists[place];
}

HWND App::DriveCombo() const {
  std::vector<HWND> combos = ChildrenOf(main_, "ComboBox");
  if (combos.size() != 1) {
    ADD_FAILURE() << "expected one combo box, found " << combos.size() << ":\n"
                  << Describe(main_);
    return combos.empty() ? nullptr : combos.front();
  }
  return combos[0];
}

std::vector<std::string> App::WaitLog(size_t count, DWORD timeout_ms) {
  WaitFor([&] { return LogLines().size() >= count; }, timeout_ms);
  // A handler still writing adds the lines we did not expect before it
  // answers.
  EXPECT_TRUE(Settle()) << DescribeWindows();
  return LogLines();
}

bool App::Settle() const {
  // One trip per message that may be queued ahead of the last one posted:
  // a click, or a key press and the character it makes.
  constexpr int kTrips = 4;
  for (int i = 0; i < kTrips; ++i) {
    bool answered = false;
    Send(main_, WM_NULL, 0, 0, &answered);
    if (!answered) return false;
  }
  return true;
}

void App::Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

bool App::PickDrive(char letter) {
  HWND combo = DriveCombo();
  if (!combo) return false;
  std::vector<std::string> rows = ComboRows(combo);
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].size() >= 2 &&
        std::toupper(static_cast<unsigned char>(rows[i][0])) == letter &&
        rows[i][1] == ':') {
      Send(combo, CB_SETCURSEL, i, 0);
      PostMessageW(GetParent(combo), WM_COMMAND,
                   MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
      return true;
    }
  }
  ADD_FAILURE() << "no row for drive " << letter << " in Drive1";
  return false;
}

bool App::ClickRow(HWND listbox, int row) {
  if (Send(listbox, LB_SETCURSEL, row, 0) == LB_ERR) return false;
  PostMessageW(GetParent(listbox), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(listbox), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(listbox));
  return true;
}

void App::PressTab(HWND target) {
  PostMessageW(target, WM_KEYDOWN, VK_TAB, 0x000F0001);
  PostMessageW(target, WM_KEYUP, VK_TAB, 0xC00F0001);
}

void App::ClickInside(HWND control) {
  const LPARAM corner = MAKELPARAM(4, 4);
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, corner);
  PostMessageW(control, WM_LBUTTONUP, 0, corner);
}

HWND App::WaitTopWindow(const std::string& caption, DWORD timeout_ms) const {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND top : TopWindows())
          if (TextOf(top) == caption) found = top;
        return found != nullptr;
      },
      timeout_ms);
  if (!found)
    ADD_FAILURE() << "no window '" << caption << "' within " << timeout_ms
                  << " ms; " << DescribeWindows();
  return found;
}

std::optional<Box> App::WaitBox(DWORD timeout_ms, HWND not_this) const {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND top : TopWindows())
          if (top != not_this && ClassOf(top) == "#32770") found = top;
        return found != nullptr;
      },
      timeout_ms);
  if (!found) {
    ADD_FAILURE() << "no message box within " << timeout_ms << " ms; "
                  << DescribeWindows();
    return std::nullopt;
  }
  // The box fills in its controls while it is created.
  Send(found, WM_NULL, 0, 0);
  return ReadBox(found);
}

std::vector<HWND> App::Boxes() const {
  std::vector<HWND> boxes;
  for (HWND top : TopWindowsOf(pid_, false))
    if (ClassOf(top) == "#32770") boxes.push_back(top);
  return boxes;
}

bool App::NoBox() const { return Settle() && Boxes().empty(); }

bool App::Answer(const Box& box, int id) {
  HWND button = GetDlgItem(box.hwnd, id);
  if (!button) {
    ADD_FAILURE() << "no button " << id << " in " << Describe(box);
    return false;
  }
  Click(button);
  bool gone = WaitFor(
      [&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); });
  if (!gone)
    ADD_FAILURE() << "still open after button " << id << ": " << Describe(box);
  return gone;
}

bool App::Running() const {
  return process_.hProcess &&
         WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool App::WaitExit(DWORD timeout_ms) const {
  return process_.hProcess &&
         WaitForSingleObject(process_.hProcess, timeout_ms) == WAIT_OBJECT_0;
}

std::string App::DescribeWindows() const {
  std::ostringstream out;
  if (!Running()) {
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    out << "the process has exited with code " << code << "; ";
  }
  out << "its visible top-level windows:";
  for (HWND top : TopWindows())
    out << " [" << ClassOf(top) << " '" << TextOf(top) << "']";
  return out.str();
}

}  // namespace e2e
