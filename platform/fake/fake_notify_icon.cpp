#include "platform/fake/fake_notify_icon.h"

namespace velmora::fake {

FakeNotifyIcon::FakeNotifyIcon(FakeNotifyIconFactory& factory,
                               NotifyIconEvents events)
    : factory_(factory), events_(std::move(events)) {}

FakeNotifyIcon::~FakeNotifyIcon() {
  if (factory_.icon == this) factory_.icon = nullptr;
}

bool FakeNotifyIcon::Add(const std::string& tooltip) {
  wanted_ = true;
  tooltip_ = tooltip;
  added_ = factory_.has_area;
  return added_;
}

void FakeNotifyIcon::AreaMadeAnew() {
  if (wanted_) added_ = factory_.has_area;
}

// A balloon shows only on an icon that is there.
void FakeNotifyIcon::ShowBalloon(const Balloon& balloon) {
  if (added_) balloons.push_back(balloon);
}

void FakeNotifyIcon::OpenMenu(const std::vector<MenuCommand>& items,
                              std::size_t default_index) {
  menu_ = items;
  default_item = default_index;
}

void FakeNotifyIcon::Select() {
  if (added_ && events_.onSelect) events_.onSelect();
}

std::vector<MenuCommand> FakeNotifyIcon::OpenedMenu() {
  menu_.clear();
  if (added_ && events_.onContextMenu) events_.onContextMenu();
  return menu_;
}

bool FakeNotifyIcon::ChooseMenuItem(std::string_view text) {
  for (const MenuCommand& item : OpenedMenu()) {
    if (item.text != text) continue;
    if (item.greyed || !item.onChoose) return false;
    item.onChoose();
    return true;
  }
  return false;
}

void FakeNotifyIcon::ClickBalloon() {
  if (added_ && !balloons.empty() && events_.onBalloonClick)
    events_.onBalloonClick();
}

std::unique_ptr<NotifyIcon> FakeNotifyIconFactory::Create(
    Window&, NotifyIconEvents events) {
  auto made = std::make_unique<FakeNotifyIcon>(*this, std::move(events));
  icon = made.get();
  return made;
}

}  // namespace velmora::fake
