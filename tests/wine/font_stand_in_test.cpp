// A condensed design face that is missing: the layout's narrow stand-ins
// take its place, and where none of them is installed the face the system
// maps the name to is drawn narrower. Needs a display.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win32/win32_platform.h"
#include "tests/wine/window_helpers.h"

namespace velmora::win32 {
namespace {

using K = ControlKind;
constexpr char kMissing[] = "Velmora Missing Condensed";

int CALLBACK KeepFirstFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD,
                           LPARAM found) {
  *reinterpret_cast<std::string*>(found) = Narrow(font->lfFaceName);
  return 0;
}

// A face the system has, whichever fonts it was given.
const std::string& InstalledFace() {
  static const std::string face = [] {
    std::string first;
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &query, KeepFirstFace,
                        reinterpret_cast<LPARAM>(&first), 0);
    ReleaseDC(nullptr, dc);
    return first;
  }();
  return face;
}

const std::string_view kInstalledStandIn[] = {"Velmora Missing Narrow",
                                              InstalledFace()};
constexpr std::string_view kNoStandInInstalled[] = {"Velmora Missing Narrow"};

const ControlLayout kControls[] = {
    {"plain", K::Label, "Plain", 120, 120, 2000, 255, 0, {kMissing, 10}},
    {"stand",
     K::Label,
     "Stand-in",
     120,
     480,
     2000,
     255,
     1,
     {kMissing, 10, true, kInstalledStandIn}},
    {"narrowed",
     K::Label,
     "Narrowed",
     120,
     840,
     2000,
     255,
     2,
     {kMissing, 10, false, kNoStandInInstalled}},
    {"present",
     K::Label,
     "Present",
     120,
     1200,
     2000,
     255,
     3,
     {InstalledFace(), 10, false, kNoStandInInstalled}},
};
const FormLayout kLayout = {
    "fontform", "Fonts", kNoColour, {}, 3000, 1800, 1, kControls,
};

class FontStandInTest : public ::testing::Test {
 protected:
  LOGFONTW FontOf(std::string_view name) {
    return testing::FontOf(testing::H(NativeHandle(*window, name)));
  }

  Win32WindowFactory factory{false};
  std::unique_ptr<Window> window = factory.Create(kLayout, {});
};

TEST_F(FontStandInTest, AFaceWithoutStandInsIsLeftToTheFontMapper) {
  const LOGFONTW font = FontOf("plain");
  EXPECT_EQ(std::wstring(font.lfFaceName), L"Velmora Missing Condensed");
  EXPECT_EQ(font.lfWidth, 0);
}

TEST_F(FontStandInTest, TheFirstInstalledStandInTakesTheMissingFacesPlace) {
  ASSERT_FALSE(InstalledFace().empty());
  const LOGFONTW font = FontOf("stand");
  EXPECT_EQ(Narrow(font.lfFaceName), InstalledFace());
  EXPECT_EQ(font.lfWidth, 0);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
}

TEST_F(FontStandInTest, WithNoStandInInstalledTheMappedFaceIsDrawnNarrower) {
  const LOGFONTW font = FontOf("narrowed");
  EXPECT_EQ(std::wstring(font.lfFaceName), L"Velmora Missing Condensed");
  EXPECT_GT(font.lfWidth, 0);
  // Narrower than the mapped face's own average width.
  HDC dc = GetDC(nullptr);
  LOGFONTW normal = font;
  normal.lfWidth = 0;
  HFONT mapped = CreateFontIndirectW(&normal);
  HGDIOBJ old = SelectObject(dc, mapped);
  TEXTMETRICW metrics = {};
  ASSERT_TRUE(GetTextMetricsW(dc, &metrics));
  SelectObject(dc, old);
  DeleteObject(mapped);
  ReleaseDC(nullptr, dc);
  EXPECT_LT(font.lfWidth, metrics.tmAveCharWidth);
}

TEST_F(FontStandInTest, AnInstalledFaceIsUsedEvenWithStandIns) {
  const LOGFONTW font = FontOf("present");
  EXPECT_EQ(Narrow(font.lfFaceName), InstalledFace());
  EXPECT_EQ(font.lfWidth, 0);
}

}  // namespace
}  // namespace velmora::win32
