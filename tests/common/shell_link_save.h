// Writes a shortcut through the shell's own IShellLinkW and
// IPersistFile::Save, as Explorer and the shortcut worms do. The caller has
// initialised COM on its thread.
#pragma once

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

namespace shell_link_save {

inline void Save(const std::wstring& path, const std::wstring& target,
                 const std::wstring& arguments,
                 const std::wstring& working_dir) {
  IShellLinkW* link = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IShellLinkW, reinterpret_cast<void**>(&link)),
            S_OK);
  link->SetPath(target.c_str());
  link->SetArguments(arguments.c_str());
  link->SetWorkingDirectory(working_dir.c_str());
  IPersistFile* file = nullptr;
  ASSERT_EQ(
      link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)),
      S_OK);
  const HRESULT saved = file->Save(path.c_str(), TRUE);
  file->Release();
  link->Release();
  ASSERT_EQ(saved, S_OK) << "cannot save a shortcut";
}

}  // namespace shell_link_save
