// What the files of the Win32 file tree share: the handles a walk holds
// and the small questions and changes asked of one handle. Internal to
// platform/win32; the contract is win32_file_tree.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/win32_child_open.h"
#include "platform/win32/win32_file_tree.h"

namespace velmora::win32 {

// One folder of the held chain, opened as itself and kept in place.
struct Win32FileTree::Held {
  std::string path;
  OwnedHandle handle;
  EntryId id;
};

// A folder reached by a walk: one of the held chain, or opened for the call.
// `serial` is the drive's, where the walk was asked for it.
struct Win32FileTree::Folder {
  OwnedHandle owned;
  HANDLE handle = nullptr;
  std::uint32_t serial = 0;
};

// An entry opened as itself inside its folder, which stays open with it.
struct Win32FileTree::Entry {
  Folder folder;
  OwnedHandle handle;
};

namespace tree {

inline constexpr DWORD kHiddenSystem =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
inline constexpr DWORD kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
// Held folders are not shared for deletion: while one is held, Windows
// refuses to rename, move or delete it, so nothing can take its place.
// They ask to list the folder, as a handle that asks for attributes alone
// records no sharing and so keeps nobody out.
inline constexpr DWORD kHeldShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

Error LastError();

// The drive's root, "\\?\E:\", for "E:", "E:\" or any path on it.
std::wstring RootPath(const std::string& path);

// The drive's root opened as itself, for `access` and `share`.
OwnedHandle OpenRoot(const std::string& path, DWORD access, DWORD share);

// "E:\a\b" gives "E:\", "E:\a", "E:\a\b"; "E:" and "E:\" give "E:\".
std::vector<std::string> ChainOf(const std::string& folder);

// The last name of a path: "E:\a\b" gives "b".
std::wstring LastName(const std::string& path);

// The same entry: the file id is compared only where the file system
// gives one.
bool Matches(const EntryId& found, const EntryId& expected);

// The attributes the handle's entry has now, from its basic information
// alone: GetFileInformationByHandle also asks for its name and its volume,
// which Wine pays dearly for, and a run changes 100,000 files.
bool AttributesOf(HANDLE handle, DWORD& attributes);

// A part of a walk must be a plain folder: FolderChanged() for a link or
// junction (the only way a part opened as itself leads onto another
// volume), the system's "the directory name is invalid" for a file.
Error CheckPart(DWORD attributes);

// The drive's serial, asked of its root: the one costly question (Wine
// asks its mount manager, another process), so a walk asks it at most once.
bool SerialOf(HANDLE root, std::uint32_t& serial);

// The attributes and identity of an entry reached by a walk from a root
// whose serial is `serial`.
bool Identify(HANDLE handle, std::uint32_t serial, DWORD& attributes,
              EntryId& id);

// Where `expected` is given, the handle's entry must be that plain folder.
Error CheckExpected(HANDLE handle, std::uint32_t serial,
                    const EntryId* expected);

// Gives the handle's entry exactly `attributes`; its times stay as they
// are. Zero attributes would leave them all as they are, so "none" is
// written as FILE_ATTRIBUTE_NORMAL.
bool WriteAttributes(HANDLE handle, DWORD attributes);

}  // namespace tree
}  // namespace velmora::win32
