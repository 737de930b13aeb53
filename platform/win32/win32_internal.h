// Shared by the Win32 backend's own files only.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_menu.h"
#include "platform/win32/win32_platform.h"

namespace velmora::win32 {

// Announced changes of the drives (a volume or a medium arrived or left, a
// letter was defined), counted for the process: the windows count what the
// system broadcasts, and a recent read of the drive list, or the labels
// shown, stand only while the count is unchanged (win32_drives.cpp).
void CountDriveLetterChange();
std::uint32_t DriveLetterChanges();

// The top-level windows made by every Win32WindowFactory of the process, in
// the order they were created. Only the UI thread touches it.
std::vector<HWND>& TopLevelWindows();
bool IsOurWindow(HWND hwnd);

// Control ids: the control's place in its layout plus this. They start past
// IDOK and IDCANCEL, which the dialog keyboard handling sends for Enter and
// Esc.
inline constexpr int kFirstControlId = 100;

// Twips to pixels at `dpi`.
inline int Px(int twips, UINT dpi) { return MulDiv(twips, dpi, 1440); }

// Functions of newer Windows versions, looked up at run time so the program
// still starts where they are missing. A library not loaded yet is loaded
// from System32 only.
template <typename Fn>
Fn SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (!module) module = LoadSystemLibrary(library);
  if (!module) return nullptr;
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The DPI `hwnd` is drawn at (win32_dpi.cpp).
UINT DpiOf(HWND hwnd);
// The DPI where the system cannot say per window: the monitor's on Windows
// 8.1, the system's before.
UINT SystemDpi(HWND hwnd);
// The same for a monitor, so that a window can be sized for the monitor it
// is about to be made on.
UINT MonitorDpi(HMONITOR monitor);

// The size DrawText gives `text` in `font`, as a self-sizing label shows it
// (win32_widget.cpp). An empty text keeps one line's height and no width.
SIZE LabelTextSize(HFONT font, const std::wstring& text, bool no_prefix);
// The text of the window `hwnd`.
std::wstring WindowText(HWND hwnd);

// The design's font at `dpi` (win32_font.cpp).
HFONT MakeFont(const Font& font, UINT dpi);
// The system's message font at `dpi`, for windows that name no font.
HFONT MessageFont(UINT dpi);

class Win32Window;

// One native control. Timers and lines have no native window; a timer runs
// on its window's.
class Win32Widget final : public Widget {
 public:
  Win32Widget(Win32Window& owner, const ControlLayout& layout, int id)
      : layout(layout), id(id), owner(owner) {}

  void SetText(const std::string& text) override;
  std::string Text() const override;
  void SetRows(const std::vector<std::string>& rows) override;
  void AddRow(const std::string& row) override;
  std::vector<std::string> Rows() const override;
  int Selected() const override;
  void Select(int row) override;
  int Value() const override;
  void SetValue(int value) override;
  void SetRunning(bool running) override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override;
  void SetHandler(Handler on_event) override;

  bool IsCombo() const { return layout.kind == ControlKind::DriveList; }
  // Resizes a self-sizing label to its text in its font.
  void Autosize();
  // A check box's button style for `value` and its enabled state.
  void SetCheckStyle(int value);

  const ControlLayout layout;
  const int id;
  HWND hwnd = nullptr;
  Handler handler;

 private:
  Win32Window& owner;
};

class Win32Window final : public Window {
 public:
  Win32Window(Win32WindowFactory& factory, const FormLayout& layout,
              WindowEvents events);
  // Destroys the native window. Never called from inside its WndProc.
  ~Win32Window() override;

  Widget& Control(std::string_view name) override;
  void Show() override;
  void Hide() override;
  bool Visible() const override;
  void Unload() override;
  bool Loaded() const override { return hwnd_ != nullptr; }
  // Starts or stops the timer `timer` at its layout's interval.
  void RunTimer(Win32Widget& timer, bool running);
  void SetMenuCommands(
      std::function<std::vector<MenuCommand>()> commands) override {
    menus_.SetCommands(std::move(commands));
  }
  void RunSteps(std::function<bool()> step) override;
  void RunLater(std::chrono::milliseconds delay, Handler then) override;

  HWND hwnd() const { return hwnd_; }
  Win32Widget& Get(std::string_view name);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wparam,
                                  LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateNative();
  void CreateControls();
  // The outer size of the window at `dpi`.
  SIZE FrameSize(UINT dpi) const;
  // Sizes the window and places every control at the current DPI.
  void Layout();
  void PlaceControls();
  // Where `widget` stands at the current DPI: as designed, or for a
  // self-sizing label as large as `text` in its font.
  RECT PlaceOf(const Win32Widget& widget, const std::wstring& text,
               bool no_prefix) const;
  void FitCombo(Win32Widget& widget, const RECT& place);
  // The window's icons at the current DPI.
  void LoadIcons();
  // Follows the window to a monitor of another DPI: `suggested` is the
  // place and size the system offers, or nullptr to keep the place.
  void OnDpiChanged(UINT dpi, const RECT* suggested);
  void MakeFonts();
  void FreeResources();
  void OnCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnDeviceChange(WPARAM wparam, LPARAM lparam);
  void RunStep();
  LRESULT OnControlColour(UINT message, WPARAM wparam, LPARAM lparam);
  // Reads High Contrast again, and repaints everything where it changed or
  // where `colours_changed` (the system's colours did).
  void FollowHighContrast(bool colours_changed);
  void Paint();
  void FocusFirst();
  void OnNextDialogControl(WPARAM wparam, LPARAM lparam);
  Win32Widget* WidgetFor(HWND control);
  COLORREF Resolve(Colour colour) const;
  HBRUSH Brush(COLORREF colour);
  HFONT FontFor(const Win32Widget& widget) const;

  Win32WindowFactory& factory_;
  const FormLayout layout_;
  const WindowEvents events_;
  std::vector<std::unique_ptr<Win32Widget>> widgets_;  // layout order
  std::map<UINT_PTR, Win32Widget*> timers_;            // running, by id
  HWND hwnd_ = nullptr;
  HWND last_focus_ = nullptr;
  UINT dpi_ = 96;
  bool high_contrast_ = false;  // as last read
  HFONT window_font_ = nullptr;
  std::map<const Win32Widget*, HFONT> control_fonts_;
  std::map<COLORREF, HBRUSH> brushes_;
  HICON big_icon_ = nullptr, small_icon_ = nullptr;
  Win32Menus menus_;
  std::function<bool()> steps_;  // run from the step timer while set
  Handler later_;                // run once from the later timer
};

}  // namespace velmora::win32
