// The drive services on Win32: the drive list, its row texts, the current
// drive and the readiness probe.
//
// Nothing here leaves anything open on a drive. The current drive is the
// program's own record, never the process's current folder: Windows keeps
// a handle on that folder, which would make "Safely Remove Hardware" refuse
// a USB stick that the program has merely looked at. The process's current
// folder stays where the program started, so when Windows asks whether a
// volume may go (DBT_DEVICEQUERYREMOVE), the program holds nothing on it
// but, for a moment, a volume query of the bounded probe in flight.
//
// Every query that may block on a drive (its type, readiness and label)
// runs through DriveRounds, off the calling thread and with a bounded wait.
// A drive's type is asked only with its label: while the drive stays listed
// and ready, each look asks its readiness alone.
#include <windows.h>

#include <atomic>
#include <cwctype>

#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

// How long a recent read of the drive letters stands without an announced
// change.
constexpr std::chrono::milliseconds kLettersLife{2000};

std::atomic<std::uint32_t> drive_letter_changes{0};

// "E:" (or "E:\...") gives 'E'; anything else gives 0.
char DriveLetterOf(const std::string& entry) {
  if (entry.size() < 2 || entry[1] != ':') return 0;
  if (entry.size() > 2 && entry[2] != '\\') return 0;
  const char c = entry[0];
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return c;
  return 0;
}

// Runs on the drive's worker thread. Everything takes one GetDriveTypeW and
// one volume query that reads the label where one is shown and whether the
// volume is read-only; readiness alone
// takes one volume query that asks nothing but whether the root opens,
// which spares Wine a round trip to its mount manager. The label is for the
// eye only: it is not shown for network drives, nor for A: and B:.
VolumeFacts QueryVolume(char letter, VolumeAsk ask) {
  VolumeFacts facts;
  const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
  const bool everything = ask == VolumeAsk::Everything;
  const UINT type = everything ? GetDriveTypeW(root) : DRIVE_UNKNOWN;
  facts.exists =
      !everything || (type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR);
  if (!facts.exists) return facts;
  const bool shows_label =
      everything && type != DRIVE_REMOTE &&
      !(type == DRIVE_REMOVABLE && (letter == 'A' || letter == 'B'));
  wchar_t label[MAX_PATH + 1] = {};
  DWORD flags = 0;
  facts.ready =
      GetVolumeInformationW(root, shows_label ? label : nullptr,
                            shows_label ? MAX_PATH + 1 : 0, nullptr, nullptr,
                            everything ? &flags : nullptr, nullptr, 0) != 0;
  facts.read_only = facts.ready && (flags & FILE_READ_ONLY_VOLUME) != 0;
  if (!facts.ready || !shows_label) return facts;
  std::wstring clean;
  for (const wchar_t* p = label; *p; ++p) {
    if (!std::iswcntrl(*p)) clean += *p;
  }
  facts.label = Narrow(clean);
  return facts;
}

}  // namespace

Win32System::Win32System(std::string title)
    : title_(std::move(title)), rounds_(QueryVolume) {}

void CountDriveLetterChange() { ++drive_letter_changes; }
std::uint32_t DriveLetterChanges() { return drive_letter_changes.load(); }

// Each read of the drive list but a read of the letters only begins a round
// of the probe: every drive is asked at once, so the row texts and the walk
// that follows wait one bound in total however many drives do not answer.
std::vector<std::string> Win32System::DriveEntries(DriveRead read) {
  const auto now = DriveRounds::Clock::now();
  const std::uint32_t changes = DriveLetterChanges();
  const bool announced = changes != drives_read_after_;
  if (announced) rounds_.ChangeAnnounced();
  if (read != DriveRead::Recent || announced ||
      now - drives_read_at_ >= kLettersLife) {
    known_drives_ = GetLogicalDrives();
    drives_read_at_ = now;
    drives_read_after_ = changes;
  }
  std::vector<std::string> entries;
  std::vector<char> letters;
  const DWORD mask = known_drives_;
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    letters.push_back(static_cast<char>('A' + i));
    entries.push_back({letters.back(), ':'});
  }
  labels_known_only_ = read == DriveRead::LettersOnly;
  if (!labels_known_only_) rounds_.StartRound(letters);
  return entries;
}

// A drive whose answer is late keeps its last known row text.
std::string Win32System::DriveRowText(const std::string& entry) {
  const char letter = DriveLetterOf(entry);
  if (!letter) return entry;
  std::optional<VolumeFacts> facts;
  if (!labels_known_only_) facts = rounds_.QuickFacts(letter);
  if (!facts) facts = rounds_.LastKnown(letter);
  if (!facts || facts->label.empty()) return entry;
  return entry + " [" + facts->label + "]";
}

// Until the program changes drive, the current drive is the drive of the
// process's current folder; where that folder is on no drive letter (a
// network share, or a Linux folder outside Wine's drives), the Windows
// drive counts as current.
std::string Win32System::CurrentDrive() {
  if (current_) return {current_, ':'};
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, buffer);
  if (length < 2 || length > MAX_PATH || buffer[1] != L':' ||
      !std::iswalpha(buffer[0]))
    length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (length < 2 || length > MAX_PATH || buffer[1] != L':') return "";
  return {static_cast<char>(std::towupper(buffer[0])), ':'};
}

// Records the drive named by the entry's first letter as current; the
// process's current folder is left alone. A drive the system does not know
// is refused. The drives listed last are taken as known, and only a letter
// missing from them is checked afresh: under Wine every GetLogicalDrives
// looks at each drive's folder, which a walk would repeat per drive.
// Readiness is not asked: that would wait on the drive.
Error Win32System::ChangeDrive(const std::string& entry) {
  if (entry.empty()) return {};
  const char letter = DriveLetterOf({entry[0], ':'});
  if (!letter) return ErrorFromCode(ERROR_INVALID_DRIVE);
  const DWORD bit = 1u << (letter - 'A');
  if (!(known_drives_ & bit)) known_drives_ = GetLogicalDrives();
  if (!(known_drives_ & bit)) return ErrorFromCode(ERROR_INVALID_DRIVE);
  current_ = letter;
  return {};
}

// A drive that has not answered within the bound exists but is not ready
// this time.
DriveStatus Win32System::ProbeDrive(const std::string& entry) {
  DriveStatus status;
  const char letter = DriveLetterOf(entry);
  if (!letter) return status;
  const std::optional<VolumeFacts> facts = rounds_.Facts(letter);
  status.exists = !facts || facts->exists;
  status.ready = facts && facts->ready;
  return status;
}

}  // namespace velmora::win32
