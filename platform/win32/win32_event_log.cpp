#include "platform/win32/win32_event_log.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

WORD TypeOf(EventLevel level) {
  switch (level) {
    case EventLevel::Warning:
      return EVENTLOG_WARNING_TYPE;
    case EventLevel::Error:
      return EVENTLOG_ERROR_TYPE;
    case EventLevel::Information:
      break;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

}  // namespace

Win32EventLog::~Win32EventLog() {
  if (source_) DeregisterEventSource(source_);
}

const std::vector<unsigned char>& Win32EventLog::UserSid() {
  if (sid_read_) return sid_;
  sid_read_ = true;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return sid_;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size &&
      GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    if (IsValidSid(sid)) {
      const auto* bytes = static_cast<const unsigned char*>(sid);
      sid_.assign(bytes, bytes + GetLengthSid(sid));
    }
  }
  CloseHandle(token);
  return sid_;
}

// The event IDs of the message table are its message IDs (severity
// Success, facility 0), so the ID is passed as it is.
Error Win32EventLog::Write(std::uint16_t id, EventLevel level,
                           const std::vector<std::string>& strings) {
  if (!source_)
    source_ = RegisterEventSourceW(nullptr, Widen(kEventSource).c_str());
  if (!source_) return ErrorFromCode(GetLastError());
  std::vector<std::wstring> wide;
  for (const std::string& text : strings) wide.push_back(Widen(text));
  std::vector<LPCWSTR> pointers;
  for (const std::wstring& text : wide) pointers.push_back(text.c_str());
  const std::vector<unsigned char>& sid = UserSid();
  const PSID user =
      sid.empty() ? nullptr : const_cast<unsigned char*>(sid.data());
  if (!ReportEventW(source_, TypeOf(level), 0, id, user,
                    static_cast<WORD>(pointers.size()), 0,
                    pointers.empty() ? nullptr : pointers.data(), nullptr))
    return ErrorFromCode(GetLastError());
  return {};
}

std::string Win32EventLog::UserName() {
  if (user_name_) return *user_name_;
  user_name_ = "";
  const std::vector<unsigned char>& sid = UserSid();
  if (sid.empty()) return "";
  wchar_t name[256], domain[256];
  DWORD name_size = 256, domain_size = 256;
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, const_cast<unsigned char*>(sid.data()), name,
                         &name_size, domain, &domain_size, &use))
    return "";
  user_name_ = Narrow(domain) + "\\" + Narrow(name);
  return *user_name_;
}

// Asked only of a drive that answered a moment ago: the volume's own
// serial (as "dir" shows it) and label.
VolumeName Win32EventLog::Volume(const std::string& entry) {
  const std::wstring root = Widen(entry.substr(0, 2) + "\\");
  wchar_t label[MAX_PATH + 1] = {};
  DWORD serial = 0;
  DriveKind kind = DriveKind::Unknown;
  switch (GetDriveTypeW(root.c_str())) {
    case DRIVE_FIXED:
      kind = DriveKind::Fixed;
      break;
    case DRIVE_REMOVABLE:
      kind = DriveKind::Removable;
      break;
    case DRIVE_REMOTE:
      kind = DriveKind::Network;
      break;
    case DRIVE_CDROM:
      kind = DriveKind::CdRom;
      break;
    case DRIVE_RAMDISK:
      kind = DriveKind::RamDisk;
      break;
  }
  if (!GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, &serial,
                             nullptr, nullptr, nullptr, 0))
    return {"", "", kind};
  char text[16];
  std::snprintf(text, sizeof text, "%04X-%04X",
                static_cast<unsigned>(serial >> 16),
                static_cast<unsigned>(serial & 0xFFFF));
  return {text, Narrow(label), kind};
}

}  // namespace velmora::win32
