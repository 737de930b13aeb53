// One running copy of the program per user and session. The copy that runs
// holds a named object, one per session, in a private namespace bounded by
// the user's SID: only this user's processes can make or open it, so a copy
// of another account in the same session (Run as different user, a terminal
// server) neither counts nor can take the name first. A later start finds
// it there, asks the running copy to show its main window, and ends. Where
// the system has no private namespaces, the object is in the session's own
// namespace (Local\) under a name that holds the user's SID. Free of
// <windows.h>, like win32_platform.h.
#pragma once

namespace velmora::win32 {

class SingleInstance {
 public:
  // Claims the place of the running copy, or finds it taken.
  SingleInstance();
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Whether a copy of this user in this session runs already. Where the
  // place cannot be claimed at all (no SID, an object of that name that
  // this user may not open), the program runs as if alone: nobody else
  // can keep it from starting.
  bool AnotherRuns() const { return another_; }
  // The running copy: its main window is made, so that a show request now
  // reaches it.
  void Ready();
  // A later start: lets the running copy bring its window forward, and
  // asks it to show it. Waits, at most a few seconds, for the running copy
  // to be ready.
  void AskToShow() const;
  // A line for the log where the program runs without knowing whether
  // another copy of this user runs; "" otherwise.
  const char* Note() const { return note_; }

 private:
  void* boundary_ = nullptr;   // the boundary descriptor
  void* namespace_ = nullptr;  // the private namespace
  void* mapping_ = nullptr;
  void* shared_ = nullptr;  // the mapped view
  bool another_ = false;
  const char* note_ = "";
};

inline constexpr const char* kForeignObjectNote =
    "Velmora runs although another account has taken the name of its "
    "running copy in this session: a second start of this user may run "
    "beside it";

// The window message a later start sends to ask for the main window,
// registered for this user; 0 where it could not be registered. A window
// whose WindowEvents has onShowRequest runs it for this message.
unsigned ShowRequestMessage();

}  // namespace velmora::win32
