// The icon is identified by its owner window and a number, never by a GUID
// (a GUID ties the icon to the program's path, and a portable program
// moves). Its messages reach the owner window, which is subclassed for them:
// the icon runs on the window's own thread and adds none. It asks for the
// messages of NOTIFYICON_VERSION_4 and takes the older forms where the
// system gives only those.
#include "platform/win32/win32_notify_icon.h"

// clang-format off
#include "platform/win32/win32_internal.h"  // <windows.h> first
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>

namespace velmora::win32 {
namespace {

// The icon's callback message, past the window's own WM_APP messages.
constexpr UINT kIconMessage = WM_APP + 0x40;
constexpr UINT_PTR kSubclassId = 0x4E49;  // "NI"

// Copies `text` into a fixed field, cut to fit with its terminating zero.
template <std::size_t N>
void CopyInto(wchar_t (&field)[N], const std::string& text) {
  const std::wstring wide = Widen(text);
  const std::size_t n = std::min(wide.size(), N - 1);
  std::copy_n(wide.begin(), n, field);
  field[n] = L'\0';
}

class Win32NotifyIcon final : public NotifyIcon {
 public:
  Win32NotifyIcon(HWND owner, NotifyIconEvents events)
      : owner_(owner),
        events_(std::move(events)),
        taskbar_created_(RegisterWindowMessageW(L"TaskbarCreated")) {
    SetWindowSubclass(owner_, &Win32NotifyIcon::Proc, kSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
    // An elevated program still hears that Explorer restarted.
    ChangeWindowMessageFilterEx(owner_, taskbar_created_, MSGFLT_ALLOW,
                                nullptr);
  }
  ~Win32NotifyIcon() override {
    Remove();
    RemoveWindowSubclass(owner_, &Win32NotifyIcon::Proc, kSubclassId);
  }

  // An add that timed out while Explorer was busy may have placed the icon
  // all the same, so a later add (a try again) may find it there.
  bool Add(const std::string& tooltip) override {
    const bool tried_before = wanted_;
    wanted_ = true;
    tooltip_ = tooltip;
    added_ = Place(tried_before);
    return added_;
  }

  void SetTooltip(const std::string& tooltip) override {
    tooltip_ = tooltip;
    if (!added_) return;
    NOTIFYICONDATAW data = Data(NIF_TIP | NIF_SHOWTIP);
    CopyInto(data.szTip, tooltip_);
    Shell_NotifyIconW(NIM_MODIFY, &data);
  }

  // Only device feedback may show in the quiet time after the first
  // sign-in.
  void ShowBalloon(const Balloon& balloon) override {
    if (!added_) return;
    NOTIFYICONDATAW data = Data(NIF_INFO);
    CopyInto(data.szInfo, balloon.text);
    CopyInto(data.szInfoTitle, balloon.title);
    data.dwInfoFlags = NIIF_INFO;
    if (!balloon.device_feedback) data.dwInfoFlags |= NIIF_RESPECT_QUIET_TIME;
    Shell_NotifyIconW(NIM_MODIFY, &data);
  }

  // Deleted wherever an add was asked, even one that failed: an add that
  // timed out may have placed the icon, and none is left behind.
  void Remove() override {
    if (!wanted_ && !added_) return;
    wanted_ = false;
    NOTIFYICONDATAW data = Data(0);
    Shell_NotifyIconW(NIM_DELETE, &data);
    added_ = false;
  }

  bool Added() const override { return added_; }

  // As the notification area asks: the owner comes to the foreground so
  // that the menu closes when the user clicks elsewhere, and a message
  // after it lets the menu go. Only a menu left without a choice (Esc)
  // gives the keyboard focus back to the notification area; a chosen item
  // may have brought a window forward, which keeps it.
  void OpenMenu(const std::vector<MenuCommand>& items,
                std::size_t default_item) override {
    SetForegroundWindow(owner_);
    const bool chosen = TrackCommands(owner_, items, menu_place_, default_item);
    PostMessageW(owner_, WM_NULL, 0, 0);
    if (!chosen && added_) {
      NOTIFYICONDATAW data = Data(0);
      Shell_NotifyIconW(NIM_SETFOCUS, &data);
    }
  }

 private:
  // Puts the icon with its tooltip in the notification area and asks for
  // the newest messages. Where the area may hold it already (it was made
  // anew while the icon was still there), NIM_ADD fails and the icon is
  // set afresh instead.
  bool Place(bool may_be_there) {
    NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
    data.uCallbackMessage = kIconMessage;
    data.hIcon = SmallIcon();
    CopyInto(data.szTip, tooltip_);
    if (!Shell_NotifyIconW(NIM_ADD, &data) &&
        !(may_be_there && Shell_NotifyIconW(NIM_MODIFY, &data)))
      return false;
    // Newest first: version 4 (Vista on), 3 (2000 on), else the oldest.
    version_ = 0;
    for (UINT version : {NOTIFYICON_VERSION_4, NOTIFYICON_VERSION}) {
      data.uVersion = version;
      if (Shell_NotifyIconW(NIM_SETVERSION, &data)) {
        version_ = version;
        break;
      }
    }
    return true;
  }

  NOTIFYICONDATAW Data(UINT flags) const {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kNotifyIconId;
    data.uFlags = flags;
    return data;
  }

  // The owner window's small icon, else the system's application icon.
  HICON SmallIcon() const {
    auto icon = reinterpret_cast<HICON>(
        SendMessageW(owner_, WM_GETICON, ICON_SMALL, 0));
    return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam,
                               LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<Win32NotifyIcon*>(data);
    if (message == kIconMessage) {
      self->OnIconMessage(wparam, lparam);
      return 0;
    }
    // The notification area was made anew (Explorer restarted, or started
    // after the program at sign-in): the icon goes there again, or for
    // the first time where the area was not up when it was added.
    if (message == self->taskbar_created_ && self->wanted_)
      self->added_ = self->Place(true);
    return DefSubclassProc(hwnd, message, wparam, lparam);
  }

  // Version 4 puts the event in the low word of lParam and the place in
  // wParam; the older forms give the event as lParam. Before version 3
  // there are only the mouse's own messages.
  void OnIconMessage(WPARAM wparam, LPARAM lparam) {
    const UINT event = version_ >= NOTIFYICON_VERSION_4
                           ? LOWORD(lparam)
                           : static_cast<UINT>(lparam);
    if (version_ >= NOTIFYICON_VERSION_4) {
      menu_place_ = {static_cast<short>(LOWORD(wparam)),
                     static_cast<short>(HIWORD(wparam))};
    } else {
      GetCursorPos(&menu_place_);
    }
    const bool old_form = version_ == 0;
    switch (event) {
      case NIN_SELECT:
      case NIN_KEYSELECT:
        if (!old_form) Run(events_.onSelect);
        break;
      case WM_LBUTTONUP:
        if (old_form) Run(events_.onSelect);
        break;
      case WM_CONTEXTMENU:
        if (!old_form) Run(events_.onContextMenu);
        break;
      case WM_RBUTTONUP:
        if (old_form) Run(events_.onContextMenu);
        break;
      case NIN_BALLOONUSERCLICK:
        Run(events_.onBalloonClick);
        break;
      default:
        break;
    }
  }

  static void Run(const Handler& handler) {
    if (handler) handler();
  }

  HWND owner_;
  NotifyIconEvents events_;
  const UINT taskbar_created_;
  std::string tooltip_;
  bool wanted_ = false;  // added and not removed since, shown or not
  bool added_ = false;   // in the notification area as far as it told
  UINT version_ = 0;
  POINT menu_place_ = {};
};

}  // namespace

std::unique_ptr<NotifyIcon> Win32NotifyIconFactory::Create(
    Window& owner, NotifyIconEvents events) {
  return std::make_unique<Win32NotifyIcon>(
      static_cast<HWND>(NativeHandle(owner)), std::move(events));
}

}  // namespace velmora::win32
