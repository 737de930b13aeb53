// Text conversion and error descriptions at the Win32 boundary.
#include <windows.h>

#include <string>

#include "platform/win32/win32_platform.h"

namespace velmora::win32 {

namespace {

// Bytes in the code page as UTF-16.
std::wstring WideFrom(std::string_view bytes, UINT code_page) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length =
      MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), size, wide.data(), length);
  return wide;
}

}  // namespace

std::wstring Widen(std::string_view utf8) { return WideFrom(utf8, CP_UTF8); }

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int size = static_cast<int>(utf16.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size,
                                         nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, narrow.data(), length,
                      nullptr, nullptr);
  return narrow;
}

std::string Win32System::AnsiToUtf8(std::string_view ansi) {
  return Narrow(WideFrom(ansi, CP_ACP));
}

// The system's message in the user's language, its lines joined by one
// blank and the trailing line break and blanks dropped.
Error ErrorFromCode(std::uint32_t code) {
  Error error{code, {}};
  if (code == 0) return error;
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length > 0 && buffer) text.assign(buffer, length);
  if (buffer) LocalFree(buffer);
  std::wstring line;
  for (wchar_t c : text) {
    if (c == L'\r' || c == L'\n' || c == L'\t') c = L' ';
    if (c == L' ' && (line.empty() || line.back() == L' ')) continue;
    line += c;
  }
  while (!line.empty() && line.back() == L' ') line.pop_back();
  error.description =
      line.empty() ? "Error " + std::to_string(code) : Narrow(line);
  return error;
}

}  // namespace velmora::win32
