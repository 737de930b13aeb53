// Real infected drives for the repair's Wine tests, made the way shortcut
// worms leave them: the user's random tree (fixed seeds) moved into a
// hidden + system folder named U+00A0, shortcuts written by the shell's own
// IShellLinkW that start rundll32.exe or wscript.exe with the worm's file,
// the payload in a second hidden folder, Windows' own hidden folders and an
// ordinary shortcut to a document. Snapshot() records every entry of the
// drive to compare before and after.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "tests/common/drive_snapshot.h"
#include "tests/common/shell_link_save.h"
#include "tests/wine/test_files.h"

namespace velmora::win32 {

inline constexpr char kNbspName[] = "\xC2\xA0";

// Writes a shortcut at `path` through IShellLinkW and IPersistFile::Save.
inline void SaveShellLink(const std::string& path, const std::string& target,
                          const std::string& arguments,
                          const std::string& working_dir) {
  shell_link_save::Save(Widen(path), Widen(target), Widen(arguments),
                        Widen(working_dir));
}

inline std::string ReadAll(const std::string& path) {
  return win32_files::Read(Widen(path)).value_or("<unreadable>");
}

// Every entry of `drive` ("E:") by its path relative to the drive: its
// attributes and, for a file, its bytes.
inline std::map<std::string, std::string> Snapshot(const std::string& drive) {
  return drive_snapshot::Of(Widen(drive + "\\"));
}

// A name of 1 to 3 syllables, sometimes with a blank or a non-ASCII letter
// inside; never ending in a blank or a dot.
inline std::string RandomName(std::mt19937& rng) {
  static const char* const kParts[] = {
      "ka", "Mo",    "ri",           " ",   "\xC3\xA9",
      "to", "Photo", "\xE6\x97\xA5", "doc", "X"};
  std::string name;
  const int parts = 1 + static_cast<int>(rng() % 3);
  for (int i = 0; i < parts; ++i) name += kParts[rng() % 10];
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name.empty() || name.front() == ' ' ? "n" + name : name;
}

inline std::string RandomBytes(std::mt19937& rng) {
  std::string bytes(rng() % 2048, '\0');
  for (char& c : bytes) c = static_cast<char>(rng());
  return bytes;
}

// The user's tree: folders up to three deep, files with random bytes, some
// read-only; made in the root before the worm moves it.
inline void MakeUserTree(std::mt19937& rng, const std::string& folder,
                         int depth, std::vector<std::string>* top_level) {
  std::map<std::string, bool> used;  // by lower-case name
  const int count = 2 + static_cast<int>(rng() % 5);
  for (int i = 0; i < count; ++i) {
    std::string name = RandomName(rng);
    const bool is_folder = depth < 3 && rng() % 3 == 0;
    if (!is_folder) name += rng() % 2 ? ".txt" : ".jpg";
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::tolower(c));
    if (used[key] || key == "_" || key.ends_with(".lnk")) continue;
    used[key] = true;
    const std::string path = folder + name;
    if (top_level) top_level->push_back(name);
    if (is_folder) {
      MakeFolder(path);
      MakeUserTree(rng, path + "\\", depth + 1, nullptr);
    } else {
      MakeFile(
          path, RandomBytes(rng),
          rng() % 4 == 0 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_ARCHIVE);
    }
  }
}

}  // namespace velmora::win32
