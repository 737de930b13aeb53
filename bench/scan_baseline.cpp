// The floor of `velmora.exe /scan`: a plain console program that makes one
// readiness query per drive (GetVolumeInformationW) and looks for
// autorun.inf on each ready one, printing a line per drive.
#include <windows.h>

#include <cstdio>

int main() {
  const DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};
    const wchar_t file[] = {root[0], L':', L'\\', L'a', L'u', L't', L'o', L'r',
                            L'u',    L'n', L'.',  L'i', L'n', L'f', 0};
    const bool ready = GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr,
                                             nullptr, nullptr, 0);
    const bool found =
        ready && GetFileAttributesW(file) != INVALID_FILE_ATTRIBUTES;
    std::printf("%c: %s\n", 'A' + i,
                !ready  ? "not ready"
                : found ? "autorun.inf"
                        : "clean");
  }
  return 0;
}
