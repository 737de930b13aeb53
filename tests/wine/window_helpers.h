// Small tools for the tests that look at real windows made from layouts.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "platform/widget_kinds.h"
#include "platform/win32/win32_platform.h"

namespace velmora::win32::testing {

// Makes a window whose events the test does not look at: every control that
// raises events gets a handler that does nothing, so the window can show.
inline std::unique_ptr<Window> WindowWithoutEvents(WindowFactory& factory,
                                                   const FormLayout& layout) {
  std::unique_ptr<Window> window = factory.Create(layout, {});
  for (const ControlLayout& row : layout.controls) {
    if (RaisesEvents(row.kind)) window->Control(row.name).SetHandler([] {});
  }
  return window;
}

inline HWND H(void* handle) { return static_cast<HWND>(handle); }

// A control's rectangle in its parent's client coordinates.
inline RECT PlaceOf(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect),
                  2);
  return rect;
}

// The font a control draws with.
inline LOGFONTW FontOf(HWND control) {
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
             sizeof font, &font);
  return font;
}

}  // namespace velmora::win32::testing
