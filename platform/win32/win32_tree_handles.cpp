// The small questions and changes the Win32 file tree asks of one handle,
// and the parts of a path it walks.
#include "platform/win32/win32_tree_handles.h"

#include "platform/win32/win32_platform.h"

namespace velmora::win32::tree {

Error LastError() { return ErrorFromCode(GetLastError()); }

std::wstring RootPath(const std::string& path) {
  return L"\\\\?\\" + Widen(path.substr(0, 2)) + L'\\';
}

OwnedHandle OpenRoot(const std::string& path, DWORD access, DWORD share) {
  return Owned(CreateFileW(
      RootPath(path).c_str(), access | SYNCHRONIZE, share, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
      nullptr));
}

std::vector<std::string> ChainOf(const std::string& folder) {
  std::vector<std::string> chain{folder.substr(0, 2) + "\\"};
  for (std::size_t at = 3; at < folder.size();) {
    std::size_t end = folder.find('\\', at);
    if (end == std::string::npos) end = folder.size();
    if (end > at) chain.push_back(folder.substr(0, end));
    at = end + 1;
  }
  return chain;
}

std::wstring LastName(const std::string& path) {
  return Widen(path.substr(path.rfind('\\') + 1));
}

bool Matches(const EntryId& found, const EntryId& expected) {
  return found.volume_serial == expected.volume_serial &&
         (expected.file_id == 0 || found.file_id == expected.file_id);
}

bool AttributesOf(HANDLE handle, DWORD& attributes) {
  FILE_BASIC_INFO info;
  if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info))
    return false;
  attributes = info.FileAttributes;
  return true;
}

Error CheckPart(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FolderChanged();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return ErrorFromCode(ERROR_DIRECTORY);
  return {};
}

bool SerialOf(HANDLE root, std::uint32_t& serial) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!InfoOf(root, info)) return false;
  serial = info.dwVolumeSerialNumber;
  return true;
}

bool Identify(HANDLE handle, std::uint32_t serial, DWORD& attributes,
              EntryId& id) {
  std::uint64_t index = 0;
  if (!AttributesOf(handle, attributes) || !IndexOf(handle, index))
    return false;
  id = {serial, index};
  return true;
}

Error CheckExpected(HANDLE handle, std::uint32_t serial,
                    const EntryId* expected) {
  if (!expected) return {};
  DWORD attributes = 0;
  EntryId id;
  if (!Identify(handle, serial, attributes, id)) return LastError();
  if (!IsPlainFolder(attributes) || !Matches(id, *expected))
    return FolderChanged();
  return {};
}

bool WriteAttributes(HANDLE handle, DWORD attributes) {
  FILE_BASIC_INFO info = {};  // zero times leave the times as they are
  info.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(handle, FileBasicInfo, &info,
                                    sizeof info) != 0;
}

}  // namespace velmora::win32::tree
