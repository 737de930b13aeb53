// The window's messages turned into the program's events: commands from
// the controls, timer ticks, volume arrivals and removals, the close box,
// a later start's show request, and the messages the window answers
// itself.
// clang-format off
#include "platform/win32/win32_internal.h"  // <windows.h> before <dbt.h>
#include <dbt.h>
// clang-format on

#include <algorithm>

#include "platform/win32/win32_single_instance.h"

namespace velmora::win32 {
namespace {

// Timer ids are the control's place in the layout, counted from 1.
constexpr UINT_PTR kFirstTimerId = 1;
// A volume message is answered at once and its work posted to the window
// as this message: wParam the device event, lParam the unit mask.
constexpr UINT kVolumeChanged = WM_APP + 1;
// The timer of RunSteps, past the ids of the layout's timers.
constexpr UINT_PTR kStepTimerId = 0x7F00;
// The timer of RunLater.
constexpr UINT_PTR kLaterTimerId = 0x7F01;

// Runs `handler` from a copy, so that a handler that rebinds its control
// does not replace itself while it runs.
void Run(const Handler& handler) {
  if (!handler) return;
  const Handler copy = handler;
  copy();
}

}  // namespace

void Win32Window::RunTimer(Win32Widget& timer, bool running) {
  const UINT_PTR id =
      kFirstTimerId + static_cast<UINT_PTR>(timer.id - kFirstControlId);
  if (!hwnd_) return;
  if (running && timer.layout.interval_ms > 0) {
    ::SetTimer(hwnd_, id, timer.layout.interval_ms, nullptr);
    timers_[id] = &timer;
  } else {
    KillTimer(hwnd_, id);
    timers_.erase(id);
  }
}

// The steps run from a timer rather than from posted messages: posted
// messages come before input and painting, a timer after them, so the
// window keeps answering while the steps run.
void Win32Window::RunSteps(std::function<bool()> step) {
  steps_ = std::move(step);
  if (hwnd_ && steps_)
    ::SetTimer(hwnd_, kStepTimerId, USER_TIMER_MINIMUM, nullptr);
}

void Win32Window::RunStep() {
  const std::function<bool()> step = steps_;
  if (step && step()) return;
  steps_ = nullptr;
  if (hwnd_) KillTimer(hwnd_, kStepTimerId);
}

void Win32Window::RunLater(std::chrono::milliseconds delay, Handler then) {
  later_ = std::move(then);
  if (!hwnd_) return;
  if (!later_) {
    KillTimer(hwnd_, kLaterTimerId);
    return;
  }
  const auto ms = std::max<std::chrono::milliseconds::rep>(delay.count(),
                                                           USER_TIMER_MINIMUM);
  ::SetTimer(hwnd_, kLaterTimerId, static_cast<UINT>(ms), nullptr);
}

void Win32Window::OnCommand(WPARAM wparam, LPARAM lparam) {
  HWND control = reinterpret_cast<HWND>(lparam);
  if (!control) return;
  Win32Widget* widget = WidgetFor(control);
  if (!widget || widget->id != LOWORD(wparam)) return;
  // A disabled control raises nothing, whoever sent its notification.
  if (!IsWindowEnabled(control)) return;
  const WORD code = HIWORD(wparam);
  switch (widget->layout.kind) {
    case ControlKind::Button:
      if (code == BN_CLICKED) Run(widget->handler);
      break;
    case ControlKind::CheckBox:
      if (code == BN_CLICKED) {
        // A greyed box does not toggle by itself; a click unchecks it.
        if (widget->Value() == BST_INDETERMINATE) widget->SetValue(0);
        Run(widget->handler);
      }
      break;
    case ControlKind::DriveList:
      if (code == CBN_SELCHANGE) Run(widget->handler);
      break;
    case ControlKind::FileList:
      if (code == LBN_SELCHANGE) Run(widget->handler);
      break;
    default:
      break;
  }
}

// Only a volume counts, and only a header that is there and as large as a
// volume's: anything else sent by anyone is passed over. The system waits
// for this answer (and so does every other program it asks), so the work
// runs later, from the window's own queue.
LRESULT Win32Window::OnDeviceChange(WPARAM wparam, LPARAM lparam) {
  CountDriveLetterChange();
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lparam);
  if ((wparam == DBT_DEVICEARRIVAL || wparam == DBT_DEVICEREMOVECOMPLETE) &&
      header && header->dbch_size >= sizeof(DEV_BROADCAST_VOLUME) &&
      header->dbch_devicetype == DBT_DEVTYP_VOLUME) {
    const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(header);
    PostMessageW(hwnd_, kVolumeChanged, wparam,
                 static_cast<LPARAM>(volume->dbcv_unitmask));
  }
  return TRUE;
}

LRESULT CALLBACK Win32Window::WndProc(HWND hwnd, UINT message, WPARAM wparam,
                                      LPARAM lparam) {
  auto* self =
      reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || self->hwnd_ != hwnd)
    return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->Handle(message, wparam, lparam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  if (auto handled = menus_.Handle(hwnd_, message, wparam, lparam))
    return *handled;
  if (message != 0 && message == ShowRequestMessage()) {
    if (events_.onShowRequest) events_.onShowRequest();
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      OnCommand(wparam, lparam);
      return 0;
    case WM_TIMER: {
      if (wparam == kStepTimerId) {
        RunStep();
        return 0;
      }
      if (wparam == kLaterTimerId) {
        KillTimer(hwnd_, kLaterTimerId);
        const Handler then = std::move(later_);
        later_ = nullptr;
        Run(then);
        return 0;
      }
      auto it = timers_.find(wparam);
      if (it != timers_.end()) Run(it->second->handler);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return OnControlColour(message, wparam, lparam);
    case WM_ERASEBKGND: {
      RECT rect;
      GetClientRect(hwnd_, &rect);
      FillRect(reinterpret_cast<HDC>(wparam), &rect,
               Brush(Resolve(kWindowBackground)));
      return 1;
    }
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) last_focus_ = focus;
      } else if (last_focus_ && IsWindow(last_focus_) &&
                 IsChild(hwnd_, last_focus_)) {
        SetFocus(last_focus_);
      } else {
        FocusFirst();
      }
      return 0;
    case WM_DEVICECHANGE:
      return OnDeviceChange(wparam, lparam);
    case WM_SETTINGCHANGE:
      // DefineDosDevice broadcasts this when it defines a drive letter,
      // unless told not to; Windows, when High Contrast goes on or off.
      CountDriveLetterChange();
      FollowHighContrast(false);
      // Group Policy, once it has applied policy anew, broadcasts it with
      // the text "Policy".
      if (lparam && events_.onPolicyChange &&
          CompareStringOrdinal(reinterpret_cast<const wchar_t*>(lparam), -1,
                               L"Policy", -1, TRUE) == CSTR_EQUAL)
        events_.onPolicyChange();
      return DefWindowProcW(hwnd_, message, wparam, lparam);
    case WM_SYSCOLORCHANGE:
      // Only top-level windows get it; Windows asks them to pass it on to
      // the common controls they hold.
      for (HWND child = GetWindow(hwnd_, GW_CHILD); child;
           child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, message, wparam, lparam);
      FollowHighContrast(true);
      return 0;
    case kVolumeChanged: {
      const DriveLetters letters(static_cast<std::uint32_t>(lparam));
      const auto& handler = wparam == DBT_DEVICEARRIVAL
                                ? events_.onDeviceArrival
                                : events_.onDeviceRemoval;
      if (handler) handler(letters);
      return 0;
    }
    case WM_NEXTDLGCTL:
      OnNextDialogControl(wparam, lparam);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_CLOSE: {
      if (events_.onCloseRequest && !events_.onCloseRequest()) return 0;
      HWND hwnd = hwnd_;
      if (events_.onUnload) events_.onUnload();
      if (IsWindow(hwnd) && hwnd_ == hwnd) DestroyWindow(hwnd);
      return 0;
    }
    case WM_QUERYENDSESSION:
      return TRUE;  // nothing here asks to stay
    case WM_ENDSESSION:
      // The session ends once this returns: the program ends first.
      if (wparam && events_.onEndSession) events_.onEndSession();
      return 0;
    case WM_NCDESTROY: {
      HWND hwnd = hwnd_;
      auto& windows = TopLevelWindows();
      windows.erase(std::remove(windows.begin(), windows.end(), hwnd),
                    windows.end());
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      last_focus_ = nullptr;
      timers_.clear();
      steps_ = nullptr;
      for (auto& widget : widgets_) widget->hwnd = nullptr;
      FreeResources();
      factory_.WindowDestroyed();
      return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace velmora::win32
