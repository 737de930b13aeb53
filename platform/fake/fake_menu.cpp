// The fake window's menus: the items are asked for each time a menu opens,
// as the real window does, and an item is chosen by the text it shows.
#include "platform/fake/fake_platform.h"

namespace velmora::fake {

std::vector<MenuCommand> FakeWindow::MenuItems() const {
  return menu_commands_ ? menu_commands_() : std::vector<MenuCommand>{};
}

bool FakeWindow::ChooseMenuItem(std::string_view text) {
  for (const MenuCommand& item : MenuItems()) {
    if (item.text != text) continue;
    if (item.greyed || !item.onChoose) return false;
    item.onChoose();
    return true;
  }
  return false;
}

}  // namespace velmora::fake
