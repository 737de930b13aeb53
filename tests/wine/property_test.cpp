// A property of the silent search on real files: over generated drive trees
// (fixed seeds), exactly the root files named autorun.inf, in any case, are
// gone afterwards, and every other file and folder is byte for byte and
// attribute for attribute as it was. The one change allowed besides: a root
// folder named autorun.inf stays but has its attributes cleared, as every
// search clears them before it tests for the file. The log says, per drive,
// what happened there.
//
// Names are made around the target: case variants, autorun.inf.exe and
// .txt, xautorun.inf, "autorun.inf " with a trailing blank (made through
// the \\?\ prefix, where the file system keeps such a name), autorun.inf in
// subfolders, folders named autorun.inf with contents, read-only, hidden
// and system bystanders, random bytes as contents. The trees are walked
// through \\?\ paths too, so that names with trailing blanks are seen.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwctype>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/fake/fake_platform.h"
#include "platform/win32/win32_platform.h"
#include "removal/search_remove.h"
#include "tests/common/autorun_lines.h"
#include "tests/common/win32_files.h"
#include "tests/wine/test_drives.h"

namespace velmora::win32 {
namespace {

constexpr int kRounds = 100;  // each makes one tree on every test drive
constexpr unsigned kFirstSeed = 20240601;

constexpr DWORD kDosBits =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

struct Entry {
  DWORD attributes = 0;
  std::string bytes;  // files only
};
// Relative path (as the file system spells it) -> what is there.
using Snapshot = std::map<std::wstring, Entry>;

std::wstring Long(const std::wstring& drive_root, const std::wstring& rel) {
  return L"\\\\?\\" + drive_root + rel;
}

bool SameNameAsTarget(const std::wstring& name) {
  static const std::wstring kTarget = L"autorun.inf";
  if (name.size() != kTarget.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (std::towlower(name[i]) != kTarget[i]) return false;
  return true;
}

void Walk(const std::wstring& root, const std::wstring& rel, Snapshot& into) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Long(root, rel + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> folders;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    Entry& entry = into[rel + name];
    entry.attributes = data.dwFileAttributes;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      folders.push_back(rel + name + L"\\");
    else
      entry.bytes =
          win32_files::Read(Long(root, rel + name)).value_or("<unreadable>");
  } while (FindNextFileW(find, &data));
  FindClose(find);
  for (const auto& folder : folders) Walk(root, folder, into);
}

// Whether the file system keeps a name with a trailing blank as it is, and
// shows it so: made and listed through \\?\.
bool KeepsTrailingBlanks(const std::wstring& root) {
  const std::wstring probe = Long(root, L"probe ");
  HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  Snapshot seen;
  Walk(root, L"", seen);
  DeleteFileW(probe.c_str());
  return seen.count(L"probe ") == 1 && seen.count(L"probe") == 0;
}

class TreeMaker {
 public:
  TreeMaker(unsigned seed, bool trailing_blanks)
      : random_(seed), trailing_blanks_(trailing_blanks) {}

  // Fills the empty drive at `root` with a tree.
  void Make(const std::wstring& root) {
    root_ = root;
    std::set<std::wstring> used;  // lower case, as the names clash
    // The target itself: a file in some case, a folder, or nothing.
    const int target = Pick(10);
    if (target < 5) {
      AddFile(L"", CaseVariant(L"autorun.inf"), used, RandomBits());
    } else if (target < 7) {
      const std::wstring folder = CaseVariant(L"autorun.inf");
      used.insert(Lower(folder));
      AddFolder(L"", folder, 1);
    }
    const int bystanders = 2 + Pick(6);
    for (int i = 0; i < bystanders; ++i)
      AddFile(L"", BystanderName(), used, RandomBits());
    const int folders = Pick(3);
    for (int i = 0; i < folders; ++i) {
      const std::wstring name = FolderName();
      if (!used.insert(Lower(name)).second) continue;
      AddFolder(L"", name, 1);
    }
  }

 private:
  int Pick(int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(random_);
  }

  static std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
  }

  std::wstring CaseVariant(std::wstring name) {
    switch (Pick(4)) {
      case 0:
        return name;
      case 1:
        for (auto& c : name) c = static_cast<wchar_t>(std::towupper(c));
        return name;
      default:
        for (auto& c : name)
          if (Pick(2)) c = static_cast<wchar_t>(std::towupper(c));
        return name;
    }
  }

  std::wstring BystanderName() {
    static const wchar_t* const kNames[] = {
        L"autorun.inf.exe", L"autorun.inf.txt", L"xautorun.inf",
        L"autorun.in",      L"autorun",         L"autorun_inf",
        L"autorun.inf.bak", L"readme.txt",      L"setup.exe",
        L"autorun.ini",     L"inf.autorun",     L"autorun.infx",
    };
    if (trailing_blanks_ && Pick(5) == 0)
      return CaseVariant(Pick(2) ? L"autorun.inf " : L"autorun.inf  ");
    return CaseVariant(kNames[Pick(static_cast<int>(std::size(kNames)))]);
  }

  std::wstring FolderName() {
    static const wchar_t* const kNames[] = {L"sub", L"autorun", L"Data",
                                            L"autorun.inf.d", L"x"};
    return kNames[Pick(static_cast<int>(std::size(kNames)))];
  }

  DWORD RandomBits() {
    DWORD bits = 0;
    if (Pick(3) == 0) bits |= FILE_ATTRIBUTE_READONLY;
    if (Pick(3) == 0) bits |= FILE_ATTRIBUTE_HIDDEN;
    if (Pick(4) == 0) bits |= FILE_ATTRIBUTE_SYSTEM;
    return bits;
  }

  std::string RandomBytes() {
    std::string bytes(static_cast<size_t>(Pick(96)), '\0');
    for (char& c : bytes) c = static_cast<char>(Pick(256));
    return bytes;
  }

  void AddFile(const std::wstring& folder, const std::wstring& name,
               std::set<std::wstring>& used, DWORD bits) {
    if (!used.insert(Lower(name)).second) return;
    const std::wstring path = Long(root_, folder + name);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot make a file";
    const std::string bytes = RandomBytes();
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
    if (bits) {
      ASSERT_TRUE(SetFileAttributesW(path.c_str(), bits));
    }
  }

  // A folder with a few files (autorun.inf among the likely names) and, one
  // level down, perhaps a folder of its own. Its attributes are set last,
  // once it is filled.
  void AddFolder(const std::wstring& parent, const std::wstring& name,
                 int depth) {
    const std::wstring rel = parent + name + L"\\";
    ASSERT_TRUE(CreateDirectoryW(Long(root_, parent + name).c_str(), nullptr));
    std::set<std::wstring> used;
    const int files = Pick(5);
    for (int i = 0; i < files; ++i) {
      const std::wstring file_name =
          Pick(2) ? CaseVariant(L"autorun.inf") : BystanderName();
      AddFile(rel, file_name, used, RandomBits());
    }
    if (depth < 2 && Pick(3) == 0) {
      const std::wstring inner = Pick(2) ? CaseVariant(L"autorun.inf") : L"sub";
      if (used.insert(Lower(inner)).second) AddFolder(rel, inner, depth + 1);
    }
    if (const DWORD bits = RandomBits()) {
      ASSERT_TRUE(SetFileAttributesW(Long(root_, parent + name).c_str(), bits));
    }
  }

  std::mt19937 random_;
  bool trailing_blanks_;
  std::wstring root_;
};

class PropertyTest : public test_drives::OnTestDrives {
 protected:
  void SetUp() override {
    OnTestDrives::SetUp();
    if (IsSkipped()) return;
    for (const auto& drive : drives) roots.push_back(Widen(drive + "\\"));
  }

  std::vector<std::wstring> roots;
};

TEST_F(PropertyTest, SilentSearchRemovesExactlyTheRootAutorunFiles) {
  const bool blanks = KeepsTrailingBlanks(roots[0]);
  RecordProperty("trailing_blanks", blanks ? "made" : "not kept here");
  Win32System real("Velmora");
  test_drives::DrivesOnly system(real, drives);
  int removed_total = 0, folders_kept = 0, entries_checked = 0;

  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round) + ", seed " +
                 std::to_string(kFirstSeed + round));
    TreeMaker maker(kFirstSeed + static_cast<unsigned>(round), blanks);
    std::vector<Snapshot> before(drives.size()), expected(drives.size());
    std::vector<std::string> lines;
    for (size_t d = 0; d < drives.size(); ++d) {
      EmptyDrive(drives[d]);
      maker.Make(roots[d]);
      if (HasFatalFailure()) return;
      Walk(roots[d], L"", before[d]);
      // What must be there afterwards, and what the log must say.
      bool has_target = false;
      for (const auto& [rel, entry] : before[d]) {
        const bool in_root = rel.find(L'\\') == std::wstring::npos;
        if (!in_root || !SameNameAsTarget(rel)) {
          expected[d][rel] = entry;
        } else if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
          Entry cleared = entry;
          cleared.attributes &= ~kDosBits;
          expected[d][rel] = cleared;
          ++folders_kept;
        } else {
          has_target = true;
          ++removed_total;
        }
      }
      for (std::string& line : autorun_lines::SilentSearch(
               autorun_lines::PathOn(drives[d]), has_target))
        lines.push_back(std::move(line));
    }

    fake::FakeWidget drive_widget{ControlKind::DriveList, ""};
    fake::FakeWidget check_widget{ControlKind::CheckBox, ""};
    fake::FakeWidget log_widget{ControlKind::ListBox, ""};
    DriveList Drive1(system, drive_widget, nullptr);
    CheckBox Check3(check_widget, [] {});
    ListBox List1(log_widget);
    cmdremove_Click(system, Drive1, Check3, List1);

    ASSERT_EQ(log_widget.Rows(), lines);
    for (size_t d = 0; d < drives.size(); ++d) {
      Snapshot after;
      Walk(roots[d], L"", after);
      ASSERT_EQ(after.size(), expected[d].size()) << drives[d];
      for (const auto& [rel, entry] : expected[d]) {
        auto it = after.find(rel);
        ASSERT_NE(it, after.end()) << drives[d] << " lost " << Narrow(rel);
        EXPECT_EQ(it->second.attributes, entry.attributes)
            << drives[d] << "\\" << Narrow(rel);
        EXPECT_EQ(it->second.bytes, entry.bytes)
            << drives[d] << "\\" << Narrow(rel);
        ++entries_checked;
      }
    }
  }
  // The generator did make what the property is about.
  EXPECT_GT(removed_total, kRounds / 2);
  EXPECT_GT(folders_kept, kRounds / 10);
  RecordProperty("removed", std::to_string(removed_total));
  RecordProperty("folders_kept", std::to_string(folders_kept));
  RecordProperty("entries_checked", std::to_string(entries_checked));
}

}  // namespace
}  // namespace velmora::win32
