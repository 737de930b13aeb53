// Guard mode: the main window hidden (not minimised, off the taskbar), Auto
// Remove w/o Notification on, and an icon in the notification area that
// brings the window back, switches Auto Remove and ends the program. Its
// notifications tell what the automatic removal and the arrival look
// wrote to the log.
#include "app/frmremover.h"
#include "app/guard_notices.h"
#include "app/repair_menu.h"

namespace velmora {
namespace {

constexpr std::string_view kRemovingTip =
    "Velmora - removing autorun.inf from every drive";
constexpr std::string_view kOffTip = "Velmora - Auto Remove is off";
// A failed add is tried again after these delays, each twice the one
// before: 1, 2, 4 and 8 s, some 15 s in all.
constexpr std::chrono::milliseconds kFirstIconRetry{1000}, kLastIconRetry{8000};

}  // namespace

void Frmremover::LoadGuarding() {
  ReadPolicy(true);
  if (!org_policy_.Allows(OrgValue::Guard)) {
    LoadWindow();
    return;
  }
  Form_Load();
  window->RunSteps([this] {
    Drive1.Refresh();
    return false;
  });
  Guard();
}

// Auto Remove is switched on exactly as a click on its box would. Where the
// icon cannot be added (no notification area, or a shell still starting
// at sign-in) the window shows instead, so that the program is never
// running out of the user's reach; the icon stays asked for, and comes
// once a notification area is made, or when a later try succeeds. The
// window, once shown, stays until the user hides it: it does not vanish
// under the hand of a user who has begun to use it.
void Frmremover::Guard() {
  if (StartGuarding())
    window->Hide();
  else if (icons_)
    window->Show();
}

bool Frmremover::StartGuarding() {
  if (Check2.Value() != 1 && org_policy_.Allows(OrgValue::AutoRemove)) {
    Check2.SetValue(1);
    Check2_Click();
  }
  event_record_.GuardStarted(org_policy_);
  if (!icons_) return false;
  if (!icon_)
    icon_ = icons_->Create(*window,
                           {.onSelect = [this] { window->Show(); },
                            .onContextMenu = [this] { OpenIconMenu(); },
                            .onBalloonClick = [this] { OnBalloonClick(); }});
  if (icon_->Added() || icon_->Add(Tooltip())) return true;
  RetryIconAfter(kFirstIconRetry);
  return false;
}

// Shell_NotifyIcon can fail at sign-in while Explorer is busy, and then no
// TaskbarCreated follows to add the icon by itself: the add is tried again
// from the window's timer. Until one succeeds the window is the program's
// only face (closing it ends the program); after, the guard's.
void Frmremover::RetryIconAfter(std::chrono::milliseconds delay) {
  if (delay > kLastIconRetry) return;
  window->RunLater(delay, [this, delay] {
    if (!icon_ || icon_->Added()) return;
    if (!icon_->Add(Tooltip())) RetryIconAfter(delay * 2);
  });
}

std::string Frmremover::Tooltip() const {
  return std::string(Check2.Value() == 1 ? kRemovingTip : kOffTip);
}

bool Frmremover::Guarding() const { return icon_ && icon_->Added(); }

// While the icon is there, closing the window hides it; the timers go on.
// Without it, closing ends the program as outside guard mode: nothing
// would bring a hidden window back.
bool Frmremover::Form_QueryClose() {
  if (!Guarding()) return true;
  window->Hide();
  return false;
}

void Frmremover::UpdateTooltip() {
  if (icon_) icon_->SetTooltip(Tooltip());
}

void Frmremover::OpenIconMenu() {
  if (!icon_) return;
  std::vector<MenuCommand> items = {
      {"Open Velmora", false, false, [this] { window->Show(); }},
      PolicyItem({"Auto Remove w/o Notification", Check2.Value() == 1, false,
                  [this] {
                    Check2.SetValue(Check2.Value() == 0 ? 1 : 0);
                    Check2_Click();
                  }},
                 OrgValue::AutoRemove),
      {"", false, false, nullptr},
      {"Exit", false, false, [this] { Form_Unload(); }},
  };
  icon_->OpenMenu(items, 0);
}

void Frmremover::LogLooks(const std::vector<ArrivalLook>& looks) {
  for (const ArrivalLook& look : looks) {
    if (look.worm_shortcuts > 0) {
      List1.AddItem(WormFoundLine(look));
      event_record_.WormFound(look);
    }
    if (look.cut_short) List1.AddItem(LookCutShortLine(look));
  }
}

void Frmremover::Notify(const RemovalRound& round,
                        const std::vector<ArrivalLook>& looks, bool arrival) {
  if (!icon_) return;
  const std::optional<GuardNotice> notice = NoticeFor(round, looks, arrival);
  if (!notice) return;
  notice_worm_drive_ = notice->worm_drive;
  icon_->ShowBalloon(notice->balloon);
}

// A notification of a worm opens the window on that drive with the
// repair's question, unless policy takes the repair away; nothing is
// repaired without its Yes. While a repair runs, it goes on undisturbed,
// and the log says that the repair of this drive is to be chosen once it
// has ended.
void Frmremover::OnBalloonClick() {
  window->Show();
  if (notice_worm_drive_.empty()) return;
  Drive1.Refresh();
  if (!Drive1.SelectDrive(notice_worm_drive_)) return;
  if (!ChangesAllowed(OrgValue::Repair)) return;
  if (drive_repair_.Running()) {
    List1.AddItem(RepairWaitsLine(notice_worm_drive_));
    return;
  }
  MakeRepairMenuItem(drive_repair_, notice_worm_drive_, [this] {
    window->RunSteps([this] { return drive_repair_.Tick(); });
  }).choose();
}

}  // namespace velmora
