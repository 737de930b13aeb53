// The real windows' order as a screen reader meets it: each list and the
// viewer's text box right after the label that names it, and the name that
// Microsoft Active Accessibility gives each. Needs a display.
#include <gtest/gtest.h>
#include <oleacc.h>
#include <windows.h>

#include <string>

#include "app/frmremover.h"
#include "platform/win32/win32_platform.h"
#include "tests/wine/window_helpers.h"
#include "viewer/frmview.h"

namespace velmora::win32 {
namespace {

using testing::H;

// The accName of `control`'s client object, or why there is none.
std::wstring AccessibleName(HWND control) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(
          control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
          reinterpret_cast<void**>(&object))))
    return L"<no object>";
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  const HRESULT got = object->get_accName(self, &name);
  object->Release();
  if (got != S_OK || !name) return L"<no name>";
  std::wstring text(name, SysStringLen(name));
  SysFreeString(name);
  return text;
}

struct Named {
  const FormLayout* form;
  const char* label;
  const char* control;
};

TEST(WindowOrderTest, EachListFollowsTheLabelThatNamesIt) {
  const Named cases[] = {{&kFrmremoverLayout, "Label2", "Drive1"},
                         {&kFrmremoverLayout, "Label3", "File1"},
                         {&kFrmremoverLayout, "Label4", "List1"},
                         {&kFrmviewLayout, "Label1", "txtautorun"}};
  Win32WindowFactory factory{false};
  for (const Named& c : cases) {
    auto window = testing::WindowWithoutEvents(factory, *c.form);
    ASSERT_TRUE(window->Loaded());
    EXPECT_EQ(GetWindow(H(NativeHandle(*window, c.control)), GW_HWNDPREV),
              H(NativeHandle(*window, c.label)))
        << c.control;
  }
}

// Wine's oleacc names a text box after the label before it, as Windows
// does, but gives list and drop-down boxes no name; those are shown by the
// window order above.
TEST(WindowOrderTest, ScreenReaderNamesTheViewersTextAfterItsLabel) {
  Win32WindowFactory factory{false};
  auto window = testing::WindowWithoutEvents(factory, kFrmviewLayout);
  ASSERT_TRUE(window->Loaded());
  EXPECT_EQ(AccessibleName(H(NativeHandle(*window, "txtautorun"))),
            L"Autorun.inf Contents in Drive:");
}

}  // namespace
}  // namespace velmora::win32
