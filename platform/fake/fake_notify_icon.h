// The notification-area icon in memory: what it shows (whether it is there,
// its tooltip, the balloons shown, its menu) and the user's clicks on it,
// driven by hand.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/notify_icon.h"

namespace velmora::fake {

class FakeNotifyIconFactory;

class FakeNotifyIcon : public NotifyIcon {
 public:
  FakeNotifyIcon(FakeNotifyIconFactory& factory, NotifyIconEvents events);
  ~FakeNotifyIcon() override;

  bool Add(const std::string& tooltip) override;
  void SetTooltip(const std::string& tooltip) override { tooltip_ = tooltip; }
  void ShowBalloon(const Balloon& balloon) override;
  void Remove() override { wanted_ = added_ = false; }
  bool Added() const override { return added_; }
  void OpenMenu(const std::vector<MenuCommand>& items,
                std::size_t default_item) override;

  // --- driving it as a user would ---
  void Select();
  // Opens the icon's menu; gives its items (none where no menu opened).
  std::vector<MenuCommand> OpenedMenu();
  // Opens the menu and chooses the item showing `text`; false (and nothing
  // run) where there is no such item or it is greyed.
  bool ChooseMenuItem(std::string_view text);
  void ClickBalloon();
  // The notification area is made (Explorer started or restarted, with
  // the factory's has_area): an icon added and not removed comes back, or
  // comes for the first time after an Add that failed.
  void AreaMadeAnew();

  // --- what it shows ---
  const std::string& tooltip() const { return tooltip_; }
  std::vector<Balloon> balloons;  // every balloon shown, in order
  std::size_t default_item = 0;   // of the menu opened last

 private:
  FakeNotifyIconFactory& factory_;
  NotifyIconEvents events_;
  bool wanted_ = false;
  bool added_ = false;
  std::string tooltip_;
  std::vector<MenuCommand> menu_;
};

class FakeNotifyIconFactory : public NotifyIconFactory {
 public:
  std::unique_ptr<NotifyIcon> Create(Window& owner,
                                     NotifyIconEvents events) override;
  // The live icon made last, or nullptr.
  FakeNotifyIcon* icon = nullptr;
  // Whether the system has a notification area to add icons to.
  bool has_area = true;
};

}  // namespace velmora::fake
