// The DLL search of the process: System32 only, never the program's own
// folder, where a DLL of a system name may have been left.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/win32_libraries.h"

namespace velmora::win32 {
namespace {

std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  return std::wstring(path, length);
}

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH];
  return std::wstring(folder, GetSystemDirectoryW(folder, MAX_PATH));
}

bool InFolder(const std::wstring& path, const std::wstring& folder) {
  return CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size() + 1),
                              (folder + L"\\").c_str(), -1, TRUE) == CSTR_EQUAL;
}

TEST(DllSearch, SystemLibrariesComeFromSystem32BothWays) {
  for (auto load : {&LoadSystemLibrary, &LoadFromSystemFolder}) {
    HMODULE module = load(L"shcore.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(InFolder(ModulePath(module), SystemFolder()))
        << ModulePath(module).c_str();
    FreeLibrary(module);
  }
}

// A copy of this program named like a DLL stands in for a planted DLL: the
// loader finds it by bare name in the program's folder until the search is
// restricted, and never after.
TEST(DllSearch, RestrictedSearchSkipsTheProgramsFolder) {
  const std::wstring self = ModulePath(nullptr);
  const std::wstring planted =
      self.substr(0, self.find_last_of(L'\\') + 1) + L"velmora-planted.dll";
  ASSERT_TRUE(CopyFileW(self.c_str(), planted.c_str(), FALSE));
  const wchar_t* name = L"velmora-planted.dll";
  HMODULE before = LoadLibraryW(name);
  EXPECT_NE(before, nullptr) << "the stand-in is not found before";
  if (before) FreeLibrary(before);

  ASSERT_TRUE(RestrictDllSearch());
  EXPECT_EQ(LoadLibraryW(name), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadSystemLibrary(name), nullptr);
  DeleteFileW(planted.c_str());
}

}  // namespace
}  // namespace velmora::win32
