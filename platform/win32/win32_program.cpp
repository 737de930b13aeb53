// The program's own file and the kind of drive a path lies on.
// clang-format off
#include <windows.h>
#include <winioctl.h>
// clang-format on

#include <cstddef>
#include <string>

#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

// Whether the disk under the volume `volume` ("C:\", or a mounted folder)
// hangs on a bus that is unplugged as easily as a stick: Windows calls
// USB and FireWire hard disks, and some large sticks, fixed drives.
bool OnPluggableBus(const std::wstring& volume) {
  std::wstring device;
  if (volume.size() == 3 && volume[1] == L':') {
    device = L"\\\\.\\" + volume.substr(0, 2);
  } else {
    wchar_t name[64] = {};  // a mounted folder: the volume's own name
    if (!GetVolumeNameForVolumeMountPointW(volume.c_str(), name, 64))
      return false;
    device = name;
    if (!device.empty() && device.back() == L'\\') device.pop_back();
  }
  // No access asked: the query needs none, and the drive is not touched.
  HANDLE handle =
      CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  STORAGE_PROPERTY_QUERY query = {};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  STORAGE_DEVICE_DESCRIPTOR descriptor = {};
  DWORD size = 0;
  const BOOL asked = DeviceIoControl(handle, IOCTL_STORAGE_QUERY_PROPERTY,
                                     &query, sizeof query, &descriptor,
                                     sizeof descriptor, &size, nullptr);
  CloseHandle(handle);
  if (!asked || size < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) +
                           sizeof descriptor.BusType)
    return false;
  switch (descriptor.BusType) {
    case BusTypeUsb:
    case BusType1394:
    case BusTypeSd:
    case BusTypeMmc:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string Win32System::ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = GetModuleFileNameW(nullptr, path.data(),
                                          static_cast<DWORD>(path.size()));
    if (size == 0) return {};
    if (size < path.size()) {
      path.resize(size);
      return Narrow(path);
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

// The volume is found through GetVolumePathNameW, so that a stick mounted
// into a folder of C: counts as the stick, and a \\server\share path as its
// share. A SUBST letter is told as such before: its volume is the folder's.
DriveKind Win32System::KindOfDrive(const std::string& path) {
  const std::wstring wide = Widen(path);
  if (wide.size() >= 2 && wide[1] == L':' && !SubstTarget(wide[0]).empty())
    return DriveKind::Subst;
  std::wstring volume(wide.size() + 2, L'\0');
  if (!GetVolumePathNameW(wide.c_str(), volume.data(),
                          static_cast<DWORD>(volume.size())))
    return DriveKind::Unknown;
  volume.resize(volume.find(L'\0'));
  switch (GetDriveTypeW(volume.c_str())) {
    case DRIVE_FIXED:
      return OnPluggableBus(volume) ? DriveKind::Removable : DriveKind::Fixed;
    case DRIVE_REMOVABLE:
      return DriveKind::Removable;
    case DRIVE_REMOTE:
      return DriveKind::Network;
    case DRIVE_CDROM:
      return DriveKind::CdRom;
    case DRIVE_RAMDISK:
      return DriveKind::RamDisk;
    default:
      return DriveKind::Unknown;
  }
}

}  // namespace velmora::win32
