#include "app/event_record.h"

#include <cstdio>

#include "app/sha256.h"
#include "viewer/delimited_read.h"

namespace velmora {
namespace {

const char* CauseText(RemovalCause cause) {
  switch (cause) {
    case RemovalCause::Search:
      return "search";
    case RemovalCause::AutoRemove:
      return "Auto Remove";
    case RemovalCause::Arrival:
      return "arrival";
    case RemovalCause::CommandLine:
      return "command line";
  }
  return "";
}

const char* KindText(DriveKind kind) {
  switch (kind) {
    case DriveKind::Fixed:
      return "fixed";
    case DriveKind::Removable:
      return "removable";
    case DriveKind::Network:
      return "network";
    case DriveKind::CdRom:
      return "CD-ROM";
    case DriveKind::RamDisk:
      return "RAM disk";
    case DriveKind::Subst:
      return "SUBST letter";
    case DriveKind::Unknown:
      break;
  }
  return "unknown";
}

// The length of the UTF-8 sequence that starts with `lead`.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  return 2;
}

}  // namespace

bool EventsWanted(Registry& registry, const OrgPolicy& policy) {
  if (const std::optional<bool> set = policy.Get(OrgValue::EventLog))
    return *set;
  Error error;
  return registry
      .ReadDword(Hive::LocalMachine, kEventSourceKey, "TypesSupported", error)
      .has_value();
}

// The text is valid UTF-8 (DecodeText makes it so); a C1 control is the
// two bytes C2 80 to C2 9F.
std::string ControlsByCodePoint(const std::string& utf8,
                                std::size_t max_chars) {
  std::string shown;
  std::size_t chars = 0;
  for (std::size_t at = 0; at < utf8.size() && chars < max_chars; ++chars) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    const std::size_t length = SequenceLength(lead);
    unsigned code = lead;
    if (lead == 0xC2 && at + 1 < utf8.size())
      code = static_cast<unsigned char>(utf8[at + 1]);
    const bool control =
        (length == 1 && (lead < 0x20 || lead == 0x7F)) ||
        (length == 2 && lead == 0xC2 && code >= 0x80 && code <= 0x9F);
    if (control) {
      char text[16];
      std::snprintf(text, sizeof text, "[U+%04X]", code);
      shown += text;
    } else {
      shown += utf8.substr(at, length);
    }
    at += length;
  }
  return shown;
}

EventRecord::EventRecord(System& system, EventLog* log, bool on)
    : system_(system), log_(log), on_(on) {}

// Read as the viewer reads it: opened as itself, never through a link.
EventRecord::FileFacts EventRecord::Read(const std::string& path) {
  FileFacts facts{path, "", "", ""};
  Error error;
  const FileBytes file = system_.ReadFile(path, kEventReadBytes, error);
  if (error.failed()) return facts;
  if (!file.truncated) {
    facts.size = std::to_string(file.bytes.size());
    facts.sha256 = Sha256Hex(file.bytes);
  } else {
    facts.size = "more than " + std::to_string(kEventReadBytes);
  }
  const std::string text = DecodeText(
      file.bytes,
      [this](std::string_view ansi) { return system_.AnsiToUtf8(ansi); });
  facts.content = ControlsByCodePoint(text, kEventContentChars);
  return facts;
}

void EventRecord::Found(const std::string& path) {
  if (On()) found_ = Read(path);
}

void EventRecord::Deleted(const std::string& path, RemovalCause cause) {
  WriteFileEvent(kEventAutorunDeleted, EventLevel::Warning, path, cause,
                 std::nullopt);
}

void EventRecord::Failed(const std::string& path, const std::string& reason,
                         RemovalCause cause) {
  WriteFileEvent(kEventDeletionFailed, EventLevel::Error, path, cause, reason);
}

void EventRecord::Left(const std::string& path, RemovalCause cause) {
  WriteFileEvent(kEventAutorunLeft, EventLevel::Warning, path, cause,
                 std::nullopt);
}

// A file not read by Found (one whose deletion was never tried, or one
// left) is read now: it is still there, unchanged.
void EventRecord::WriteFileEvent(EventId id, EventLevel level,
                                 const std::string& path, RemovalCause cause,
                                 const std::optional<std::string>& reason) {
  if (!On()) return;
  const FileFacts facts = found_ && found_->path == path ? *found_ : Read(path);
  found_.reset();
  const std::string drive = path.substr(0, 2);
  const VolumeName volume = log_->Volume(drive);
  std::vector<std::string> strings = {
      drive,           path,          KindText(volume.kind),
      volume.serial,   volume.label,  facts.size,
      facts.sha256,    facts.content, CauseText(cause),
      log_->UserName()};
  if (reason) strings.push_back(*reason);
  Write(id, level, strings);
}

void EventRecord::WormFound(const ArrivalLook& look) {
  if (!On() || look.worm_shortcuts == 0) return;
  std::vector<std::string> strings = {look.drive,
                                      log_->Volume(look.drive).serial,
                                      std::to_string(look.worm_shortcuts)};
  for (std::size_t i = 0; i < kWormStartsKept; ++i)
    strings.push_back(i < look.starts.size() ? look.starts[i] : "");
  Write(kEventWormFound, EventLevel::Warning, strings);
}

void EventRecord::RepairDone(const std::string& drive,
                             std::size_t shortcuts_deleted,
                             std::size_t entries_shown, std::size_t failures) {
  Write(kEventRepairDone, EventLevel::Information,
        {drive, std::to_string(shortcuts_deleted),
         std::to_string(entries_shown), std::to_string(failures)});
}

void EventRecord::RepairStepFailed(const std::string& path,
                                   const std::string& reason) {
  Write(kEventRepairStepFailed, EventLevel::Error, {path, reason});
}

void EventRecord::AutorunSwitched(bool off) {
  Write(kEventAutorunSwitched, EventLevel::Information,
        {off ? "off" : "on", On() ? log_->UserName() : ""});
}

void EventRecord::SigninSwitched(bool on) {
  Write(kEventSigninSwitched, EventLevel::Information,
        {on ? "on" : "off", On() ? log_->UserName() : ""});
}

void EventRecord::GuardStarted(const OrgPolicy& policy) {
  if (guard_written_ || !On()) return;
  guard_written_ = true;
  std::string set;
  for (const std::string& value : policy.SetValues())
    set += (set.empty() ? "" : " ") + value;
  Write(kEventGuardStarted, EventLevel::Information,
        {VELMORA_VERSION, set.empty() ? "none" : set, log_->UserName()});
}

// A log that refuses (full, or no right to write) changes nothing of what
// the program does: the window's log has said it already.
void EventRecord::Write(EventId id, EventLevel level,
                        const std::vector<std::string>& strings) {
  if (On()) log_->Write(id, level, strings);
}

}  // namespace velmora
