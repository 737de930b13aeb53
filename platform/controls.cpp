#include "platform/controls.h"

#include <algorithm>
#include <cctype>

namespace velmora {

DriveList::DriveList(System& system, Widget& widget, Handler on_change)
    : system_(system), widget_(widget), on_change_(std::move(on_change)) {
  widget_.SetHandler(on_change_);
  // Nothing is selected yet, so the first read selects the current drive
  // and fires nothing. It asks no drive: the labels come with the next read.
  Refresh(DriveRead::LettersOnly);
}

void DriveList::Refresh(DriveRead read) {
  const std::string selected = Drive();
  entries_ = system_.DriveEntries(read);
  std::vector<std::string> rows;
  for (const auto& entry : entries_)
    rows.push_back(system_.DriveRowText(entry));
  // Each row begins with its entry, so the same rows mean the same entries
  // and the selected one is still in its place.
  if (rows == rows_ && !selected.empty()) return;
  widget_.SetRows(rows);
  rows_ = std::move(rows);
  const int kept = IndexOf(selected);
  if (kept >= 0) {
    widget_.Select(kept);
    return;
  }
  widget_.Select(IndexOf(system_.CurrentDrive()));
  if (!selected.empty() && on_change_) on_change_();
}

bool DriveList::SelectDrive(const std::string& entry) {
  const int row = IndexOf(entry);
  if (row < 0) return false;
  if (widget_.Selected() == row) return true;
  widget_.Select(row);
  if (on_change_) on_change_();
  return true;
}

std::int16_t DriveList::ListCount() const {
  return static_cast<std::int16_t>(entries_.size());
}

std::string DriveList::List(int i) const {
  if (i < 0 || i >= static_cast<int>(entries_.size())) return "";
  return entries_[i];
}

std::string DriveList::Drive() const { return List(widget_.Selected()); }

int DriveList::IndexOf(const std::string& entry) const {
  auto it = std::find(entries_.begin(), entries_.end(), entry);
  if (it == entries_.end()) return -1;
  return static_cast<int>(it - entries_.begin());
}

FileList::FileList(System& system, Widget& widget, std::string pattern,
                   Handler on_click)
    : system_(system), widget_(widget), pattern_(std::move(pattern)) {
  widget_.SetHandler(std::move(on_click));
}

Error FileList::SetPath(const std::string& path) {
  Error error;
  const auto names = system_.ListFiles(path, pattern_, error);
  if (error.failed()) return error;
  const std::string selected = FileName();
  widget_.SetRows(names);
  // File names compare without regard to case, as the file system does.
  auto same_name = [&selected](const std::string& name) {
    return std::equal(name.begin(), name.end(), selected.begin(),
                      selected.end(), [](char a, char b) {
                        return std::tolower(static_cast<unsigned char>(a)) ==
                               std::tolower(static_cast<unsigned char>(b));
                      });
  };
  auto it = std::find_if(names.begin(), names.end(), same_name);
  widget_.Select(it == names.end() ? -1 : static_cast<int>(it - names.begin()));
  path_ = path;
  return {};
}

std::string FileList::FileName() const {
  const int row = widget_.Selected();
  const auto rows = widget_.Rows();
  if (row < 0 || row >= static_cast<int>(rows.size())) return "";
  return rows[row];
}

std::int16_t ListBox::ListCount() const {
  return static_cast<std::int16_t>(widget_.Rows().size());
}

std::string ListBox::List(int i) const {
  const auto rows = widget_.Rows();
  if (i < 0 || i >= static_cast<int>(rows.size())) return "";
  return rows[i];
}

}  // namespace velmora
