#include "platform/win32/win32_single_instance.h"

#include "platform/win32/win32_platform.h"

// clang-format off
#include <windows.h>
#include <sddl.h>
#include <aclapi.h>
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

// The TOKEN_USER of the process's token, whose User.Sid is the user the
// program runs as; empty where it cannot be read.
std::vector<BYTE> ReadTokenUser() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 ||
      !GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
    buffer.clear();
  CloseHandle(token);
  return buffer;
}

PSID UserSidOf(const std::vector<BYTE>& token_user) {
  if (token_user.empty()) return nullptr;
  return reinterpret_cast<const TOKEN_USER*>(token_user.data())->User.Sid;
}

const std::vector<BYTE>& User() {
  static const std::vector<BYTE> user = ReadTokenUser();
  return user;
}

// The SID of the user the program runs as ("S-1-5-21-..."), "" where it
// cannot be read.
std::wstring UserSid() {
  PSID sid = UserSidOf(User());
  wchar_t* text = nullptr;
  if (!sid || !ConvertSidToStringSidW(sid, &text)) return {};
  std::wstring result = text;
  LocalFree(text);
  return result;
}

const std::wstring& Sid() {
  static const std::wstring sid = UserSid();
  return sid;
}

constexpr wchar_t kNamespace[] = L"Velmora";

// The private namespace whose boundary holds this user's SID, made or
// opened: Windows lets only a process whose token holds every SID of the
// boundary make or open it, so no other account can take its names first.
// Null where there is none (the system has no private namespaces).
HANDLE OpenUserNamespace(HANDLE& boundary) {
  PSID sid = UserSidOf(User());
  boundary = sid ? CreateBoundaryDescriptorW(kNamespace, 0) : nullptr;
  if (!boundary || !AddSIDToBoundaryDescriptor(&boundary, sid)) return nullptr;
  HANDLE space = CreatePrivateNamespaceW(nullptr, boundary, kNamespace);
  if (!space && GetLastError() == ERROR_ALREADY_EXISTS)
    space = OpenPrivateNamespaceW(boundary, kNamespace);
  return space;
}

// Whether the kernel object `object` is owned by the user the program runs
// as; an owner that cannot be read counts as this user's.
bool OwnedByThisUser(HANDLE object) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION,
                      &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS)
    return true;
  PSID user = UserSidOf(User());
  const bool ours = !owner || !user || EqualSid(owner, user);
  LocalFree(descriptor);
  return ours;
}

// The running copy's object: in the user's private namespace, one per
// session; where there is no such namespace, in the session's own
// namespace (Local\) under a name that holds the user's SID.
std::wstring ObjectName(bool in_namespace) {
  if (!in_namespace) return L"Local\\Velmora.Running." + Sid();
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return std::wstring(kNamespace) + L"\\Running." +
         Widen(std::to_string(session));
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
  namespace_ = OpenUserNamespace(boundary_);
  const std::wstring name = ObjectName(namespace_ != nullptr);
  HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                         sizeof(Shared), name.c_str());
  if (!mapping) return;
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  // Only where the object is in the session's namespace can another account
  // have made it first: then this copy runs, and says why.
  if (existed && !namespace_ && !OwnedByThisUser(mapping)) {
    CloseHandle(mapping);
    note_ = kForeignObjectNote;
    return;
  }
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
  if (namespace_) ClosePrivateNamespace(namespace_, 0);
  if (boundary_) DeleteBoundaryDescriptor(boundary_);
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
