// One running copy per user and session, within this one process: a later
// claim finds the first, its show request reaches the window that asks for
// it (hidden, as in guard mode), and the place is free again once the first
// copy lets go.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <sddl.h>
#include <aclapi.h>
// clang-format on

#include <string>

#include "platform/win32/win32_single_instance.h"
#include "tests/wine/test_window.h"

namespace velmora::win32 {
namespace {

TEST(SingleInstanceTest, ALaterStartFindsTheRunningCopyAndReachesItsWindow) {
  EXPECT_NE(ShowRequestMessage(), 0u);
  Win32WindowFactory factory{false};
  int requests = 0;
  WindowEvents events;
  events.onShowRequest = [&] { ++requests; };
  std::unique_ptr<Window> window = factory.Create(kLayout, std::move(events));
  ASSERT_TRUE(window->Loaded());
  ASSERT_FALSE(IsWindowVisible(testing::H(NativeHandle(*window))));
  {
    SingleInstance running;
    ASSERT_FALSE(running.AnotherRuns());
    running.Ready();
    SingleInstance later;
    EXPECT_TRUE(later.AnotherRuns());
    later.AskToShow();
    Pump([&] { return requests > 0; }, 5000);
    EXPECT_EQ(requests, 1);
  }
  SingleInstance after;
  EXPECT_FALSE(after.AnotherRuns());
  window.reset();
  Pump();
}

// An object that another account (here: SYSTEM) made first under a name
// this user's copy could take (the session's namespace and the user's SID)
// keeps no copy of this user from running. Where the system has private
// namespaces the copy's object is in this user's; where not, the copy sees
// the foreign owner, runs, and has a line saying so. Wine has neither
// (its private namespaces fail, its file mappings have no owner): skipped.
TEST(SingleInstanceTest, AnObjectAnotherAccountMadeFirstDoesNotCount) {
  const SingleInstance first;
  if (first.AnotherRuns()) GTEST_SKIP() << "a copy runs";
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  BYTE buffer[512];
  DWORD size = 0;
  ASSERT_TRUE(
      GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size));
  CloseHandle(token);
  wchar_t* sid = nullptr;
  ASSERT_TRUE(ConvertSidToStringSidW(
      reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid));
  const std::wstring name = std::wstring(L"Local\\Velmora.Running.") + sid;
  LocalFree(sid);
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"O:SYD:(A;;GA;;;WD)", SDDL_REVISION_1, &attributes.lpSecurityDescriptor,
      nullptr));
  HANDLE squatter = CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes,
                                       PAGE_READWRITE, 0, 64, name.c_str());
  LocalFree(attributes.lpSecurityDescriptor);
  if (!squatter) GTEST_SKIP() << "no object of another owner can be made";
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  GetSecurityInfo(squatter, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION,
                  &owner, nullptr, nullptr, nullptr, &descriptor);
  const bool owned = owner != nullptr;
  LocalFree(descriptor);
  if (!owned) {
    CloseHandle(squatter);
    GTEST_SKIP() << "the system keeps no owner of a file mapping (Wine)";
  }
  {
    SingleInstance running;
    EXPECT_FALSE(running.AnotherRuns());
    if (*running.Note()) {
      EXPECT_STREQ(running.Note(), kForeignObjectNote);
    }
  }
  CloseHandle(squatter);
}

}  // namespace
}  // namespace velmora::win32
