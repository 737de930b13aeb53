// The real windows as a screen reader meets them: each list and the
// viewer's text box right after the label that names it. Needs a display.
#include <gtest/gtest.h>
#include <oleacc.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/frmremover.h"
#include "tests/wine/window_helpers.h"
#include "viewer/frmview.h"

namespace velmora::win32 {
namespace {

using testing::H;

// The accName of `control`'s client object; empty where there is none.
std::wstring AccessibleName(HWND control) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(
          control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
          reinterpret_cast<void**>(&object))))
    return L"";
  VARIANT self = {};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::wstring text;
  if (object->get_accName(self, &name) == S_OK && name)
    text.assign(name, SysStringLen(name));
  SysFreeString(name);
  object->Release();
  return text;
}

// The pairs are named here, so that one left out of a layout fails too.
TEST(WindowOrderTest, EachListFollowsTheLabelThatNamesIt) {
  const std::vector<LabelFor> pairs[] = {
      {{"Label2", "Drive1"}, {"Label3", "File1"}, {"Label4", "List1"}},
      {{"Label1", "txtautorun"}}};
  const FormLayout* forms[] = {&kFrmremoverLayout, &kFrmviewLayout};
  Win32WindowFactory factory{false};
  for (int f = 0; f < 2; ++f) {
    const FormLayout* form = forms[f];
    auto window = testing::WindowWithoutEvents(factory, *form);
    ASSERT_TRUE(window->Loaded());
    for (const LabelFor& pair : pairs[f]) {
      EXPECT_EQ(GetWindow(H(NativeHandle(*window, pair.control)), GW_HWNDPREV),
                H(NativeHandle(*window, pair.label)))
          << pair.control;
    }
    // Wine's oleacc names a text box after the label before it, as Windows
    // does, but leaves list and drop-down boxes unnamed, which the window
    // order above stands for.
    if (form == &kFrmviewLayout) {
      EXPECT_EQ(AccessibleName(H(NativeHandle(*window, "txtautorun"))),
                L"Autorun.inf Contents in Drive:");
    }
  }
}

// The design lays Label3 15 twips over File1's top edge, and the viewer's
// Label1 over the text box's. Raised above them by the window order, each
// label still paints that row, as it did from below.
TEST(WindowOrderTest, ARaisedLabelStillPaintsOverTheEdgeBelowIt) {
  const std::pair<const FormLayout*, const char*> cases[] = {
      {&kFrmremoverLayout, "File1"}, {&kFrmviewLayout, "txtautorun"}};
  Win32WindowFactory factory{false};
  for (const auto& [form, control] : cases) {
    auto window = testing::WindowWithoutEvents(factory, *form);
    window->Show();
    HWND top = H(NativeHandle(*window));
    RedrawWindow(top, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN |
                     RDW_UPDATENOW);
    const RECT edge = testing::PlaceOf(H(NativeHandle(*window, control)));
    // Without DCX_USESTYLE the window's WS_CLIPCHILDREN leaves its controls
    // in the picture.
    HDC dc = GetDCEx(top, nullptr, DCX_CACHE);
    const COLORREF label = GetPixel(dc, edge.left + 20, edge.top - 1);
    EXPECT_NE(label, CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, edge.left + 20, edge.top), label) << control;
    ReleaseDC(top, dc);
  }
}

}  // namespace
}  // namespace velmora::win32
