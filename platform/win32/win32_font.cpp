// Fonts at a DPI: the design's faces, a narrow stand-in where a condensed
// face is missing, and the system's message font for windows that name none.
#include <algorithm>

#include "platform/win32/win32_internal.h"

namespace velmora::win32 {
namespace {

using ParametersForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD,
                      LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(const std::wstring& name) {
  static std::map<std::wstring, bool> known;
  auto it = known.find(name);
  if (it != known.end()) return it->second;
  LOGFONTW query = {};
  query.lfCharSet = DEFAULT_CHARSET;
  name.copy(query.lfFaceName, LF_FACESIZE - 1);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &query, NoteFace, reinterpret_cast<LPARAM>(&found),
                      0);
  ReleaseDC(nullptr, dc);
  return known[name] = found;
}

// The width of the mapper's face for `name` at `height`, drawn as narrow as
// a narrow face.
int NarrowedWidth(const std::wstring& name, int height) {
  constexpr int kNarrowPercent = 87;  // narrow faces' width against Arial
  HFONT probe =
      CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, name.c_str());
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, probe);
  TEXTMETRICW metrics = {};
  int width = 0;
  if (GetTextMetricsW(dc, &metrics))
    width = MulDiv(metrics.tmAveCharWidth, kNarrowPercent, 100);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(probe);
  return width;
}

}  // namespace

// A condensed face that is missing would be mapped to a face of normal
// width, and captions made to fit would no longer do; the first installed
// of the font's narrow stand-ins is used instead, or, where none is
// installed, the mapper's face drawn narrower.
HFONT MakeFont(const Font& font, UINT dpi) {
  const int height = -static_cast<int>(font.points * dpi / 72.0 + 0.5);
  std::wstring name = Widen(font.name);
  int width = 0;
  if (!font.narrow_stand_ins.empty() && !FaceInstalled(name)) {
    const auto& faces = font.narrow_stand_ins;
    auto narrow = std::find_if(
        faces.begin(), faces.end(),
        [](std::string_view face) { return FaceInstalled(Widen(face)); });
    if (narrow != faces.end())
      name = Widen(*narrow);
    else
      width = NarrowedWidth(name, height);
  }
  return CreateFontW(height, width, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                     FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, name.c_str());
}

HFONT MessageFont(UINT dpi) {
  static const auto for_dpi = SystemFunction<ParametersForDpiFn>(
      L"user32.dll", "SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (for_dpi &&
      for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
    return CreateFontIndirectW(&metrics.lfMessageFont);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics,
                            0)) {
    metrics.lfMessageFont.lfHeight =
        MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), 96);
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }
  return nullptr;
}

}  // namespace velmora::win32
