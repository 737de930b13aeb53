// Shared by the Win32 backend's own files only.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/win32_menu.h"
#include "platform/win32/win32_platform.h"

namespace velmora::win32 {

// The top-level windows made by every Win32WindowFactory of the process, in
// the order they were created. Only the UI thread touches it.
std::vector<HWND>& TopLevelWindows();
bool IsOurWindow(HWND hwnd);

// Twips to pixels at `dpi`.
inline int Px(int twips, UINT dpi) { return MulDiv(twips, dpi, 1440); }

// One native control. Timers and lines have no native window; their
// members do nothing.
class Win32Widget final : public Widget {
 public:
  Win32Widget(const ControlLayout& layout, int id) : layout(layout), id(id) {}

  void SetText(const std::string& text) override;
  std::string Text() const override;
  void SetRows(const std::vector<std::string>& rows) override;
  void AddRow(const std::string& row) override;
  std::vector<std::string> Rows() const override;
  int Selected() const override;
  void Select(int row) override;
  int Value() const override;
  void SetValue(int value) override;

  bool IsList() const;
  bool IsCombo() const { return layout.kind == ControlKind::DriveList; }
  // Resizes a self-sizing label to its text in its font.
  void Autosize();

  const ControlLayout layout;
  const int id;
  HWND hwnd = nullptr;
};

class Win32Window final : public Window {
 public:
  Win32Window(Win32WindowFactory& factory, const FormLayout& layout,
              EventSink& sink);
  // Destroys the native window. Never called from inside its WndProc.
  ~Win32Window() override;

  Widget& Control(std::string_view name) override;
  void Show() override;
  void Unload() override;
  bool Loaded() const override { return hwnd_ != nullptr; }
  void SetTimer(std::string_view name, bool enabled,
                unsigned interval_ms) override;
  void SetMenuCommands(
      std::function<std::vector<MenuCommand>()> commands) override {
    menus_.SetCommands(std::move(commands));
  }

  HWND hwnd() const { return hwnd_; }
  Win32Widget& Get(std::string_view name);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wparam,
                                  LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateNative();
  void CreateControls();
  // Sizes the window and places every control at the current DPI.
  void Layout();
  void MakeFonts();
  void FreeResources();
  void OnCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnControlColour(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();
  void FocusFirst();
  Win32Widget* WidgetFor(HWND control);
  COLORREF Resolve(Colour colour) const;
  HBRUSH Brush(COLORREF colour);
  HFONT FontFor(const Win32Widget& widget) const;

  Win32WindowFactory& factory_;
  const FormLayout layout_;
  EventSink& sink_;
  std::vector<std::unique_ptr<Win32Widget>> widgets_;  // layout order
  std::map<UINT_PTR, std::string_view> timers_;        // running, by id
  HWND hwnd_ = nullptr;
  HWND last_focus_ = nullptr;
  UINT dpi_ = 96;
  HFONT window_font_ = nullptr;
  std::map<const Win32Widget*, HFONT> control_fonts_;
  std::map<COLORREF, HBRUSH> brushes_;
  HICON big_icon_ = nullptr, small_icon_ = nullptr;
  Win32Menus menus_;  // the drive list's context menu, the system menu
};

}  // namespace velmora::win32
