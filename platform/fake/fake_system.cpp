// The fake system: drives, files and message boxes in memory, with
// injected failures and a count of each operation asked for.
#include <algorithm>
#include <cctype>

#include "platform/fake/fake_platform.h"
#include "platform/fake/latin1.h"
#include "platform/fake/upper.h"

namespace velmora::fake {

Error MakeError(std::uint32_t number) {
  static const std::map<std::uint32_t, std::string> kTexts = {
      {kErrFileNotFound, "The system cannot find the file specified."},
      {kErrPathNotFound, "The system cannot find the path specified."},
      {kErrAccessDenied, "Access is denied."},
      {kErrWriteProtect, "The media is write protected."},
      {kErrNotReady, "The device is not ready."},
      {kErrSharingViolation,
       "The process cannot access the file because it is being used by "
       "another process."},
      {kErrUnsupportedType, "Data of this type is not supported."},
      {kErrMoreData, "More data is available."},
      {kErrAlreadyExists,
       "Cannot create a file when that file already exists."},
      {kErrDirectory, "The directory name is invalid."},
  };
  auto it = kTexts.find(number);
  return {number,
          it == kTexts.end() ? "Error " + std::to_string(number) : it->second};
}

namespace {

char LetterOf(const std::string& path) {
  return path.empty() ? '\0'
                      : static_cast<char>(
                            std::toupper(static_cast<unsigned char>(path[0])));
}

// "E:" and "E:\" both mean the root of E:.
std::string FolderKey(const std::string& folder) {
  std::string key = Upper(folder);
  if (key.size() == 2) key += '\\';
  if (key.size() > 3 && key.back() == '\\') key.pop_back();
  return key;
}

std::string ParentKey(const std::string& key) {
  const auto slash = key.rfind('\\');
  if (slash == std::string::npos) return "";
  return slash == 2 ? key.substr(0, 3) : key.substr(0, slash);
}

}  // namespace

FakeDrive& FakeSystem::AddDrive(char letter, bool ready) {
  FakeDrive& drive = drives_[static_cast<char>(std::toupper(letter))];
  drive.ready = ready;
  return drive;
}

void FakeSystem::RemoveDrive(char letter) {
  drives_.erase(static_cast<char>(std::toupper(letter)));
}

FakeDrive& FakeSystem::Drive(char letter) {
  return drives_.at(static_cast<char>(std::toupper(letter)));
}

FakeFile& FakeSystem::AddFile(const std::string& path, std::string contents,
                              unsigned attributes) {
  FakeFile& file = files_[Key(path)];
  file.name = path.substr(path.rfind('\\') + 1);
  file.contents = std::move(contents);
  file.attributes = attributes;
  return file;
}

FakeFile* FakeSystem::Find(const std::string& path) {
  auto it = files_.find(Key(path));
  return it == files_.end() ? nullptr : &it->second;
}

void FakeSystem::Fail(Op op, const std::string& path, std::uint32_t error) {
  failures_[{op, Key(path)}] = error;
}

void FakeSystem::LetGo(const std::string& path) {
  held_.erase(Key(path));
  const FakeFile* file = Find(path);
  if (file && file->delete_pending) files_.erase(Key(path));
}

int FakeSystem::calls(Op op) const {
  auto it = calls_.find(op);
  return it == calls_.end() ? 0 : it->second;
}

std::string FakeSystem::Key(const std::string& path) { return Upper(path); }

Error FakeSystem::Check(Op op, const std::string& path, bool writes) {
  ++calls_[op];
  auto failure = failures_.find({op, Key(path)});
  if (failure != failures_.end()) return MakeError(failure->second);
  auto drive = drives_.find(LetterOf(path));
  if (drive == drives_.end()) return MakeError(kErrPathNotFound);
  if (!drive->second.ready) return MakeError(kErrNotReady);
  if (writes && drive->second.write_protected)
    return MakeError(kErrWriteProtect);
  return {};
}

std::vector<std::string> FakeSystem::DriveEntries(DriveRead read) {
  last_drive_read = read;
  labels_known_ = read != DriveRead::LettersOnly;
  std::vector<std::string> entries;
  for (const auto& [letter, drive] : drives_) entries.push_back({letter, ':'});
  return entries;
}

std::string FakeSystem::DriveRowText(const std::string& entry) {
  auto drive = drives_.find(LetterOf(entry));
  if (!labels_known_ || drive == drives_.end() || drive->second.label.empty())
    return entry;
  return entry + " [" + drive->second.label + "]";
}

std::string FakeSystem::CurrentDrive() { return {current_, ':'}; }

Error FakeSystem::ChangeDrive(const std::string& entry) {
  if (Error error = Check(Op::ChangeDrive, entry, false); error.failed())
    return error;
  current_ = LetterOf(entry);
  return {};
}

DriveStatus FakeSystem::ProbeDrive(const std::string& entry) {
  ++calls_[Op::Probe];
  DriveStatus status;
  auto failure = failures_.find({Op::Probe, Key(entry)});
  if (failure != failures_.end()) {
    status.error = MakeError(failure->second);
    return status;
  }
  if (entry.size() < 2 || entry[1] != ':') return status;
  auto drive = drives_.find(LetterOf(entry));
  status.exists = drive != drives_.end();
  status.ready = status.exists && drive->second.ready;
  return status;
}

Error FakeSystem::SetAttrZero(const std::string& path) {
  if (Error error = Check(Op::SetAttr, path, true); error.failed())
    return error;
  FakeFile* file = Find(path);
  if (!file) return MakeError(kErrFileNotFound);
  if (file->delete_pending) return MakeError(kErrAccessDenied);
  // Only the entry itself changes; a link's target is never looked at.
  file->attributes &= kDirectory | kReparsePoint;
  return {};
}

std::string FakeSystem::Dir(const std::string& path, Error& error) {
  error = Check(Op::Dir, path, false);
  if (error.failed()) return "";
  const FakeFile* file = Find(path);
  if (!file || (file->attributes & (kDirectory | kHidden | kSystem))) return "";
  return file->name;
}

Error FakeSystem::Kill(const std::string& path) {
  if (Error error = Check(Op::Kill, path, true); error.failed()) return error;
  auto it = files_.find(Key(path));
  if (it == files_.end()) return MakeError(kErrFileNotFound);
  if (it->second.attributes & (kDirectory | kReadOnly) ||
      it->second.delete_pending)
    return MakeError(kErrAccessDenied);
  if (held_.contains(Key(path))) {
    it->second.delete_pending = true;
    return {};
  }
  if (std::find(lying_kills_.begin(), lying_kills_.end(), Key(path)) !=
      lying_kills_.end())
    return {};
  files_.erase(it);
  return {};
}

bool FakeSystem::PathExists(const std::string& path) { return Has(path); }

bool FakeSystem::DeletePending(const std::string& path) {
  const FakeFile* file = Find(path);
  return file && file->delete_pending;
}

std::vector<std::string> FakeSystem::ListFiles(const std::string& folder,
                                               const std::string& pattern,
                                               Error& error) {
  error = Check(Op::ListFiles, folder, false);
  if (error.failed()) return {};
  const std::string folder_key = FolderKey(folder);
  const std::string wanted = Upper(pattern);
  std::vector<std::string> names;
  for (const auto& [key, file] : files_) {
    if (file.attributes & kDirectory) continue;
    if (ParentKey(key) != folder_key) continue;
    if (wanted != "*" && wanted != "*.*" && Upper(file.name) != wanted)
      continue;
    names.push_back(file.name);
  }
  return names;
}

FileBytes FakeSystem::ReadFile(const std::string& path, std::size_t max_bytes,
                               Error& error) {
  error = Check(Op::ReadFile, path, false);
  if (error.failed()) return {};
  const FakeFile* file = Find(path);
  if (!file) {
    error = MakeError(kErrFileNotFound);
    return {};
  }
  if (file->attributes & kReparsePoint) {
    error = LinkNotOpened();
    return {};
  }
  if (file->attributes & kDirectory || file->delete_pending) {
    error = MakeError(kErrAccessDenied);
    return {};
  }
  return {file->contents.substr(0, max_bytes),
          file->contents.size() > max_bytes};
}

std::string FakeSystem::AnsiToUtf8(std::string_view ansi) {
  return latin1::ToUtf8(ansi);
}

DriveKind FakeSystem::KindOfDrive(const std::string& path) {
  if (path.starts_with("\\\\")) return DriveKind::Network;
  auto drive = drives_.find(LetterOf(path));
  return drive == drives_.end() ? DriveKind::Unknown : drive->second.kind;
}

int FakeSystem::MsgBox(const std::string& text, int flags,
                       const std::string& title) {
  boxes.push_back({text, flags, title});
  if (while_box_waits) while_box_waits(boxes.back());
  if (!answers_.empty()) {
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return flags == kYesNoInformation ? kResultNo : kResultOk;
}

}  // namespace velmora::fake
