// The notification-area icon on Win32 (Shell_NotifyIconW), for a window
// made by Win32WindowFactory. This header stays free of <windows.h>.
#pragma once

#include <memory>

#include "platform/notify_icon.h"

namespace velmora::win32 {

// The number that, with its owner window, names the program's icon.
inline constexpr unsigned kNotifyIconId = 1;

class Win32NotifyIconFactory final : public NotifyIconFactory {
 public:
  std::unique_ptr<NotifyIcon> Create(Window& owner,
                                     NotifyIconEvents events) override;
};

}  // namespace velmora::win32
