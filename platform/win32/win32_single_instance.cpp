#include "platform/win32/win32_single_instance.h"

// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

#include <string>
#include <vector>

namespace velmora::win32 {
namespace {

// What the running copy shares with later starts.
struct Shared {
  volatile LONG ready;  // 1 once the main window is made
  DWORD process_id;     // the running copy's, for AllowSetForegroundWindow
};

// How long a later start waits for the running copy to be ready, and how
// often it looks.
constexpr DWORD kReadyWaitMs = 5000, kReadyPollMs = 20;

// The SID of the user the program runs as ("S-1-5-21-..."), "" where it
// cannot be read.
std::wstring UserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  std::wstring sid;
  if (size > 0 &&
      GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    wchar_t* text = nullptr;
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    if (ConvertSidToStringSidW(user->User.Sid, &text)) {
      sid = text;
      LocalFree(text);
    }
  }
  CloseHandle(token);
  return sid;
}

const std::wstring& Sid() {
  static const std::wstring sid = UserSid();
  return sid;
}

}  // namespace

unsigned ShowRequestMessage() {
  static const UINT message =
      Sid().empty() ? 0
                    : RegisterWindowMessageW(
                          (L"Velmora.ShowMainWindow." + Sid()).c_str());
  return message;
}

SingleInstance::SingleInstance() {
  if (Sid().empty()) return;
  const std::wstring name = L"Local\\Velmora.Running." + Sid();
  HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                         sizeof(Shared), name.c_str());
  if (!mapping) return;
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0,
                             sizeof(Shared));
  if (!view) {
    CloseHandle(mapping);
    return;
  }
  mapping_ = mapping;
  shared_ = view;
  another_ = existed;
  if (!existed)
    static_cast<Shared*>(shared_)->process_id = GetCurrentProcessId();
}

SingleInstance::~SingleInstance() {
  if (shared_) UnmapViewOfFile(shared_);
  if (mapping_) CloseHandle(mapping_);
}

void SingleInstance::Ready() {
  if (shared_ && !another_)
    InterlockedExchange(&static_cast<Shared*>(shared_)->ready, 1);
}

// The request goes to every top-level window; only the running copy's main
// window knows the message, whose name holds this user's SID.
void SingleInstance::AskToShow() const {
  if (!shared_ || !another_) return;
  auto* shared = static_cast<Shared*>(shared_);
  for (DWORD waited = 0;
       InterlockedCompareExchange(&shared->ready, 1, 1) != 1 &&
       waited < kReadyWaitMs;
       waited += kReadyPollMs)
    Sleep(kReadyPollMs);
  if (const UINT message = ShowRequestMessage()) {
    AllowSetForegroundWindow(shared->process_id);
    PostMessageW(HWND_BROADCAST, message, 0, 0);
  }
}

}  // namespace velmora::win32
