#include "viewer/frmview.h"

#include "app/error_report.h"
#include "removal/autorun_path.h"
#include "viewer/delimited_read.h"

namespace velmora {
namespace {

// Items go one to a line; the backend turns "\n" into the text box's own
// line breaks.
constexpr const char* kItemSeparator = "\n";

std::string JoinLines(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += kItemSeparator;
    text += items[i];
  }
  return text;
}

}  // namespace

// Whatever step fails, the ones after it are skipped and the box names that
// failure; the file is never left open, as ReadFile closes it itself.
void Frmview::cmdrescan_Click(DriveList& Drive1) {
  const Error error = View(Drive1);
  ShowErrorReport(system_, error);
}

Error Frmview::View(DriveList& Drive1) {
  Show();
  Drive1.Refresh();
  const std::string path = AutorunPath(Drive1.Drive());
  Label lbldrive(window_->Control("lbldrive"));
  lbldrive.Set(Drive1.Drive());

  Error error;
  const FileBytes file = system_.ReadFile(path, kMaxAutorunBytes, error);
  if (error.failed()) return error;
  const std::vector<std::string> items = AutorunItems(
      file, [this](std::string_view ansi) { return system_.AnsiToUtf8(ansi); });
  // An empty file reads no item and leaves the earlier text in place.
  if (!items.empty()) {
    TextBox txtautorun(window_->Control("txtautorun"));
    txtautorun.Set(JoinLines(items));
  }
  return {};
}

void Frmview::Show() {
  if (!window_ || !window_->Loaded()) {
    window_.reset();
    WindowEvents events;
    events.onUnload = [this] { Form_Unload(); };
    window_ = windows_.Create(kFrmviewLayout, std::move(events));
    Button(window_->Control("OKButton"), [this] { OKButton_Click(); });
    Button(window_->Control("CancelButton"), [this] { CancelButton_Click(); });
  }
  window_->Show();
}

void Frmview::Unload() {
  if (window_ && window_->Loaded()) window_->Unload();
}

void Frmview::OKButton_Click() { Unload(); }

void Frmview::CancelButton_Click() { Unload(); }

// The close box: the window is closed already or about to be; the object
// stays until the next view.
void Frmview::Form_Unload() { Unload(); }

}  // namespace velmora
