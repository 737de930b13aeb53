#include "platform/win32/win32_child_open.h"

#include <winternl.h>

#include <algorithm>
#include <vector>

#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

using NtCreateFileFn = decltype(&NtCreateFile);
using NtSetInformationFileFn = decltype(&NtSetInformationFile);
using NtQueryInformationFileFn = decltype(&NtQueryInformationFile);
using RtlNtStatusToDosErrorFn = decltype(&RtlNtStatusToDosError);

struct Ntdll {
  NtCreateFileFn create =
      SystemFunction<NtCreateFileFn>(L"ntdll.dll", "NtCreateFile");
  NtSetInformationFileFn set_information =
      SystemFunction<NtSetInformationFileFn>(L"ntdll.dll",
                                             "NtSetInformationFile");
  NtQueryInformationFileFn query_information =
      SystemFunction<NtQueryInformationFileFn>(L"ntdll.dll",
                                               "NtQueryInformationFile");
  RtlNtStatusToDosErrorFn error_of = SystemFunction<RtlNtStatusToDosErrorFn>(
      L"ntdll.dll", "RtlNtStatusToDosError");
};

const Ntdll& Functions() {
  static const Ntdll ntdll;
  return ntdll;
}

Error StatusError(NTSTATUS status) {
  const Ntdll& ntdll = Functions();
  return ErrorFromCode(ntdll.error_of ? ntdll.error_of(status)
                                      : ERROR_GEN_FAILURE);
}

// A counted string of `text`, which must outlive it.
bool Counted(std::wstring_view text, UNICODE_STRING& counted) {
  if (text.size() * sizeof(wchar_t) > 0xFFFE) return false;
  counted.Length = counted.MaximumLength =
      static_cast<USHORT>(text.size() * sizeof(wchar_t));
  counted.Buffer = const_cast<wchar_t*>(text.data());
  return true;
}

}  // namespace

OwnedHandle OpenChild(HANDLE folder, std::wstring_view name, ACCESS_MASK access,
                      DWORD share, ChildKind kind, Error& error) {
  error = {};
  const Ntdll& ntdll = Functions();
  UNICODE_STRING counted;
  // An empty name, or one with a backslash, would open the folder itself
  // or something below the entry.
  if (name.empty() || name.find(L'\\') != std::wstring_view::npos ||
      !Counted(name, counted)) {
    error = ErrorFromCode(ERROR_INVALID_NAME);
    return nullptr;
  }
  if (!ntdll.create) {
    error = ErrorFromCode(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  OBJECT_ATTRIBUTES attributes = {};
  attributes.Length = sizeof attributes;
  attributes.RootDirectory = folder;
  attributes.ObjectName = &counted;
  attributes.Attributes = OBJ_CASE_INSENSITIVE;
  IO_STATUS_BLOCK status_block = {};
  const ULONG options = FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT |
                        FILE_SYNCHRONOUS_IO_NONALERT |
                        (kind == ChildKind::kFolder ? FILE_DIRECTORY_FILE
                         : kind == ChildKind::kFile ? FILE_NON_DIRECTORY_FILE
                                                    : 0);
  HANDLE handle = nullptr;
  const NTSTATUS status =
      ntdll.create(&handle, access | SYNCHRONIZE, &attributes, &status_block,
                   nullptr, 0, share, FILE_OPEN, options, nullptr, 0);
  if (status < 0) {
    error = StatusError(status);
    return nullptr;
  }
  return OwnedHandle(handle);
}

bool IndexOf(HANDLE handle, std::uint64_t& index) {
  const Ntdll& ntdll = Functions();
  if (!ntdll.query_information) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  FILE_INTERNAL_INFORMATION info = {};
  IO_STATUS_BLOCK status_block = {};
  const NTSTATUS status = ntdll.query_information(
      handle, &status_block, &info, sizeof info, FileInternalInformation);
  if (status < 0) {
    SetLastError(ntdll.error_of ? ntdll.error_of(status) : ERROR_GEN_FAILURE);
    return false;
  }
  index = static_cast<std::uint64_t>(info.IndexNumber.QuadPart);
  return true;
}

// The new name goes with the folder's handle as its root, so that the name
// is never looked up from the drive down. (Wine takes a bare name without
// a root from its current folder, and its SetFileInformationByHandle does
// not pass a root on, hence NtSetInformationFile.)
Error RenameInFolder(HANDLE entry, HANDLE folder, std::wstring_view new_name) {
  const Ntdll& ntdll = Functions();
  if (new_name.empty() || new_name.find(L'\\') != std::wstring_view::npos)
    return ErrorFromCode(ERROR_INVALID_NAME);
  if (!ntdll.set_information) return ErrorFromCode(ERROR_PROC_NOT_FOUND);
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) +
                                    new_name.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = FALSE;
  info->RootDirectory = folder;
  info->FileNameLength = static_cast<DWORD>(new_name.size() * sizeof(wchar_t));
  std::copy(new_name.begin(), new_name.end(), info->FileName);
  IO_STATUS_BLOCK status_block = {};
  const NTSTATUS status = ntdll.set_information(
      entry, &status_block, info, static_cast<ULONG>(buffer.size()),
      FileRenameInformation);
  return status < 0 ? StatusError(status) : Error{};
}

}  // namespace velmora::win32
