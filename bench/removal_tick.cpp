// Automatic-removal benchmark: one tick of Timer1's handler over every drive
// of the prefix (tools/bench.sh maps 24 letters, a few holding a hidden
// autorun.inf), against a bare loop that makes the same Win32 calls in the
// same process. The files are put back before every pass, untimed, so that
// each pass deletes the same files.
//
//   removal_tick.exe [PASSES] [LETTERS-WITH-FILES]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_common.h"
#include "platform/controls.h"
#include "platform/fake/fake_platform.h"
#include "platform/win32/win32_platform.h"
#include "removal/auto_removal.h"

namespace {

std::wstring Root(wchar_t letter) { return {letter, L':', L'\\'}; }
std::wstring Autorun(wchar_t letter) {
  return std::wstring{letter, L':'} + L"\\autorun.inf";
}

void PutAutoruns(const std::string& letters) {
  for (char c : letters) {
    std::wstring path = Autorun(static_cast<wchar_t>(c));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    DWORD written;
    WriteFile(file, "[autorun]\r\n", 11, &written, nullptr);
    CloseHandle(file);
    SetFileAttributesW(path.c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  }
}

void ClearAttributes(const std::wstring& path) {
  HANDLE file = CreateFileW(
      path.c_str(), FILE_WRITE_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
      nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  FILE_BASIC_INFO info = {};
  info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info);
  CloseHandle(file);
}

// The Win32 calls of one tick, with nothing around them: the drive list's
// refresh (letters, type and label of each), then per drive the probe,
// change drive, clear, existence test and, where found, clear, delete and
// the check that the file is gone. Gives the number of files deleted.
int BareTick() {
  DWORD mask = GetLogicalDrives();
  std::vector<wchar_t> letters;
  for (int i = 0; i < 26; ++i)
    if (mask & (1u << i)) letters.push_back(static_cast<wchar_t>(L'A' + i));
  for (wchar_t letter : letters) {
    std::wstring root = Root(letter);
    GetDriveTypeW(root.c_str());
    wchar_t label[MAX_PATH + 1];
    GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr,
                          nullptr, nullptr, 0);
  }
  int deleted = 0;
  for (wchar_t letter : letters) {
    std::wstring root = Root(letter);
    UINT type = GetDriveTypeW(root.c_str());
    if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) continue;
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr,
                               nullptr, nullptr, 0))
      continue;
    const wchar_t drive[3] = {letter, L':', 0};
    SetCurrentDirectoryW(drive);
    std::wstring path = Autorun(letter);
    ClearAttributes(path);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) continue;
    bool visible = !(data.dwFileAttributes &
                     (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                      FILE_ATTRIBUTE_SYSTEM));
    FindClose(find);
    if (!visible) continue;
    ClearAttributes(path);
    DeleteFileW(path.c_str());
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) ++deleted;
  }
  return deleted;
}

}  // namespace

int main(int argc, char** argv) {
  const int passes = argc > 1 ? std::atoi(argv[1]) : 30;
  const std::string with_files = argc > 2 ? argv[2] : "DJPV";

  velmora::win32::Win32System system("Velmora");
  velmora::fake::FakeWidget drive_widget(velmora::ControlKind::DriveList, "");
  velmora::fake::FakeWidget log_widget(velmora::ControlKind::ListBox, "");
  velmora::DriveList Drive1(system, drive_widget, [] {});
  velmora::ListBox List1(log_widget);
  velmora::AutoRemoval removal;

  const int drives = Drive1.ListCount();
  std::vector<double> handler_ms, bare_ms;
  int handler_deleted = 0, bare_deleted = 0;
  for (int i = 0; i < passes; ++i) {
    PutAutoruns(with_files);
    List1.Clear();
    double start = bench::NowMs();
    removal.Timer1_Timer(system, Drive1, List1);
    handler_ms.push_back(bench::NowMs() - start);
    handler_deleted = List1.ListCount();

    PutAutoruns(with_files);
    start = bench::NowMs();
    bare_deleted = BareTick();
    bare_ms.push_back(bench::NowMs() - start);
  }
  const double handler = bench::Median(handler_ms),
               bare = bench::Median(bare_ms);
  std::printf("removal tick: %.2f ms over %d drives, %d files (median of %d)\n",
              handler, drives, handler_deleted, passes);
  std::printf("removal bare loop: %.2f ms, %d files\n", bare, bare_deleted);
  if (handler_deleted != bare_deleted ||
      handler_deleted != static_cast<int>(with_files.size()))
    std::printf("removal tick: WARNING: expected %zu deletions per pass\n",
                with_files.size());
  std::printf("removal tick ratio: %.2fx (target <= 1.3x)\n", handler / bare);
  return 0;
}
