// The fake controls and windows: each control keeps what a handler set and
// raises its event only when a test clicks, picks or ticks it; a window's
// own events (close, volumes, a later start, a policy change) are sent by
// the test.
#include <stdexcept>

#include "platform/fake/fake_platform.h"
#include "platform/widget_kinds.h"

namespace velmora::fake {

void FakeWidget::SetText(const std::string& text) {
  RequirePart(layout, WidgetPart::Text, "SetText");
  text_ = text;
}

std::string FakeWidget::Text() const {
  RequirePart(layout, WidgetPart::Text, "Text");
  return text_;
}

void FakeWidget::SetRows(const std::vector<std::string>& rows) {
  RequirePart(layout, WidgetPart::Rows, "SetRows");
  rows_ = rows;
  selected_ = -1;
}

void FakeWidget::AddRow(const std::string& row) {
  RequirePart(layout, WidgetPart::Rows, "AddRow");
  rows_.push_back(row);
}

std::vector<std::string> FakeWidget::Rows() const {
  RequirePart(layout, WidgetPart::Rows, "Rows");
  return rows_;
}

int FakeWidget::Selected() const {
  RequirePart(layout, WidgetPart::Rows, "Selected");
  return selected_;
}

void FakeWidget::Select(int row) {
  RequirePart(layout, WidgetPart::Rows, "Select");
  selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
}

int FakeWidget::Value() const {
  RequirePart(layout, WidgetPart::Value, "Value");
  return value_;
}

// Values other than 0, 1 and 2 are ignored, as a check box ignores them.
void FakeWidget::SetValue(int value) {
  RequirePart(layout, WidgetPart::Value, "SetValue");
  if (value >= 0 && value <= 2) value_ = value;
}

void FakeWidget::SetRunning(bool running) {
  RequirePart(layout, WidgetPart::Running, "SetRunning");
  running_ = running && layout.interval_ms > 0;
}

void FakeWidget::SetEnabled(bool enabled) {
  RequirePart(layout, WidgetPart::Enabled, "SetEnabled");
  enabled_ = enabled;
}

bool FakeWidget::Enabled() const {
  RequirePart(layout, WidgetPart::Enabled, "Enabled");
  return enabled_;
}

void FakeWidget::SetHandler(Handler handler) {
  RequirePart(layout, WidgetPart::Handler, "SetHandler");
  handler_ = std::move(handler);
}

void FakeWidget::Raise() {
  RequirePart(layout, WidgetPart::Handler, "an event");
  if (handler_) handler_();
}

FakeWindow::FakeWindow(FakeWindowFactory& factory, const FormLayout& layout,
                       WindowEvents events)
    : factory_(factory), layout_(layout), events_(std::move(events)) {
  widgets_.reserve(layout.controls.size());
  for (const ControlLayout& control : layout.controls)
    widgets_.emplace_back(control);
  factory_.live_[std::string(layout_.name)] = this;
}

FakeWindow::~FakeWindow() {
  auto it = factory_.live_.find(layout_.name);
  if (it != factory_.live_.end() && it->second == this)
    factory_.live_.erase(it);
}

void FakeWindow::Show() {
  RequireHandlers(layout_,
                  [this](std::size_t i) { return widgets_[i].bound(); });
  loaded_ = true;
  visible_ = true;
  ++shows;
}

FakeWidget& FakeWindow::Get(std::string_view name) {
  for (FakeWidget& widget : widgets_) {
    if (widget.layout.name == name) return widget;
  }
  throw std::out_of_range("no control named " + std::string(name));
}

void FakeWindow::Click(std::string_view name) {
  FakeWidget& widget = Get(name);
  if (!widget.Enabled()) return;
  if (widget.layout.kind == ControlKind::CheckBox)
    widget.SetValue(widget.Value() == 0 ? 1 : 0);
  widget.Raise();
}

void FakeWindow::PickRow(std::string_view name, int row) {
  Get(name).Select(row);
  Get(name).Raise();
}

void FakeWindow::ClickRow(std::string_view name, int row) {
  Get(name).Select(row);
  Get(name).Raise();
}

void FakeWindow::Tick(std::string_view name) {
  if (TimerEnabled(name)) Get(name).Raise();
}

void FakeWindow::Close() {
  if (events_.onCloseRequest && !events_.onCloseRequest()) return;
  loaded_ = false;
  if (events_.onUnload) events_.onUnload();
}

void FakeWindow::EndSession() {
  if (events_.onEndSession) events_.onEndSession();
}

bool FakeWindow::RunLaterNow() {
  if (!later_) return false;
  const Handler then = std::move(later_);
  later_ = nullptr;
  then();
  return true;
}

int FakeWindow::Step(int limit) {
  int ran = 0;
  while (steps_ && ran < limit) {
    ++ran;
    // A copy runs, so that the steps may be replaced while one runs.
    const std::function<bool()> step = steps_;
    if (!step()) steps_ = nullptr;
  }
  return ran;
}

void FakeWindow::SendDeviceArrival(DriveLetters letters) {
  if (events_.onDeviceArrival) events_.onDeviceArrival(letters);
}

void FakeWindow::SendDeviceRemoval(DriveLetters letters) {
  if (events_.onDeviceRemoval) events_.onDeviceRemoval(letters);
}

void FakeWindow::SendShowRequest() {
  if (events_.onShowRequest) events_.onShowRequest();
}

void FakeWindow::SendPolicyChange() {
  if (events_.onPolicyChange) events_.onPolicyChange();
}

unsigned FakeWindow::TimerInterval(std::string_view name) {
  FakeWidget& timer = Get(name);
  return timer.running() ? timer.layout.interval_ms : 0;
}

std::unique_ptr<Window> FakeWindowFactory::Create(const FormLayout& layout,
                                                  WindowEvents events) {
  ++created;
  return std::make_unique<FakeWindow>(*this, layout, std::move(events));
}

FakeWindow* FakeWindowFactory::Get(std::string_view form) {
  auto it = live_.find(form);
  return it == live_.end() ? nullptr : it->second;
}

}  // namespace velmora::fake
