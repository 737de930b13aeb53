// The program's icon in the notification area: added for a window of the
// program, which receives its messages, and identified by that window and
// a number (never by a GUID, so that a program moved to another folder
// still gets its icon). Its tooltip says what the program is doing, its
// balloons tell what it did, and its clicks become the events below.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velmora {

// What the user does with the icon. Any of them may be left empty.
struct NotifyIconEvents {
  // A left click, or the keyboard's select on the icon.
  Handler onSelect;
  // A right click, or the menu key on the icon: the handler opens the
  // icon's menu (NotifyIcon::OpenMenu).
  Handler onContextMenu;
  // A click on the balloon shown last.
  Handler onBalloonClick;
};

// One notification, shown as a balloon (as a notification on Windows 10
// and 11).
struct Balloon {
  std::string title;
  std::string text;
  // Feedback to what the user just did with a device (a stick inserted):
  // it shows even in the quiet time after the first sign-in, which every
  // other notification respects.
  bool device_feedback = false;
};

class NotifyIcon {
 public:
  // Removes the icon.
  virtual ~NotifyIcon() = default;

  // Adds the icon with `tooltip`. False when the system has no
  // notification area to add it to now (none at all, or a shell still
  // starting at sign-in, or too busy to answer); it may be called again. Until
  // Remove, the icon is added by itself whenever a notification area is made
  // (Explorer started or restarted), also after an Add that failed.
  virtual bool Add(const std::string& tooltip) = 0;
  virtual void SetTooltip(const std::string& tooltip) = 0;
  // Shows `balloon` in place of the one shown before, if any.
  virtual void ShowBalloon(const Balloon& balloon) = 0;
  virtual void Remove() = 0;
  // Whether the icon is in the notification area now.
  virtual bool Added() const = 0;
  // Opens the icon's menu at the pointer (or the icon, for the keyboard)
  // and runs the item chosen. An item with an empty text is a separator;
  // the item at `default_item` shows as the default (bold).
  virtual void OpenMenu(const std::vector<MenuCommand>& items,
                        std::size_t default_item) = 0;
};

class NotifyIconFactory {
 public:
  virtual ~NotifyIconFactory() = default;
  // An icon whose messages go to `owner`, which must outlive it.
  virtual std::unique_ptr<NotifyIcon> Create(Window& owner,
                                             NotifyIconEvents events) = 0;
};

}  // namespace velmora
