// What the organization's policy does to the main window: the option boxes
// it forces, the menu items it takes away or decides, guarding and the
// user's sign-in entry. The values are read at start and again whenever
// Windows announces that policy was applied anew.
#include "app/frmremover.h"

namespace velmora {

// The log says what policy sets once at start, and again only when a later
// reading finds something else.
void Frmremover::ReadPolicy(bool at_start) {
  OrgPolicyReading reading = ReadOrgPolicy(registry_);
  const bool changed =
      reading.policy != org_policy_ || reading.problems != policy_problems_;
  org_policy_ = reading.policy;
  policy_problems_ = std::move(reading.problems);
  if (at_start || changed) {
    event_record_.SetOn(EventsWanted(registry_, org_policy_));
    auto_removal_.Follow(Rules(RemovalCause::AutoRemove).mode, &event_record_);
    const std::string line = OrgPolicyLine(org_policy_);
    if (!line.empty())
      List1.AddItem(line);
    else if (!at_start)
      List1.AddItem(kOrgPolicyNoneLine);
    for (const std::string& problem : policy_problems_) List1.AddItem(problem);
  }
  ForceBox(Check2, OrgValue::AutoRemove, &Frmremover::Check2_Click);
  ForceBox(Check3, OrgValue::NotifyWhenRemoving, nullptr);
  FollowGuardPolicy();
}

// A forced box shows the forced value, with its own caption, and takes no
// click; the box's handler runs where the value changes, as a click would
// run it.
void Frmremover::ForceBox(CheckBox& box, OrgValue value,
                          void (Frmremover::*click)()) {
  const std::optional<bool> forced = org_policy_.Get(value);
  box.SetEnabled(!forced);
  if (!forced || box.Value() == (*forced ? 1 : 0)) return;
  box.SetValue(*forced ? 1 : 0);
  if (click) (this->*click)();
}

// A start under Load or LoadGuarding guards as they decide; a change of
// policy while the program runs starts or ends guarding here. Ended, the
// window comes back, so that the program stays within the user's reach.
void Frmremover::FollowGuardPolicy() {
  const std::optional<bool> guard = org_policy_.Get(OrgValue::Guard);
  signin_switch_.SetGuardPolicy(guard);
  signin_switch_.FollowGuardPolicy();
  if (!window->Visible() && !Guarding()) return;  // still starting
  if (guard == true && !Guarding()) {
    StartGuarding();
  } else if (guard == false && Guarding()) {
    icon_->Remove();
    window->Show();
  }
}

// Audit only changes nothing on a drive or in the system's settings, so
// the repair and the AutoRun switch are taken away with it too.
bool Frmremover::ChangesAllowed(OrgValue value) const {
  return org_policy_.Allows(value) &&
         !org_policy_.Requires(OrgValue::AuditOnly);
}

MenuCommand Frmremover::PolicyItem(MenuCommand item, OrgValue value) const {
  switch (value) {
    case OrgValue::Repair:
      if (ChangesAllowed(value)) return item;
      return SetByOrganization(item.text, false);
    case OrgValue::AutoRunSwitch:
      if (ChangesAllowed(value)) return item;
      return SetByOrganization(kTurnOffAutorunText, item.checked);
    default:
      if (!org_policy_.Get(value)) return item;
      return SetByOrganization(item.text, item.checked);
  }
}

}  // namespace velmora
