// An infected stick on the fake file tree, as shortcut worms leave one, and
// the helpers that scan it, plan the repair and run it to its end.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_file_tree.h"
#include "repair/repair_plan.h"
#include "repair/repair_run.h"
#include "repair/repair_scan.h"
#include "tests/unit/shell_link_writer.h"

namespace velmora {

using Lines = std::vector<std::string>;

inline constexpr char kNbsp[] = "\xC2\xA0";
inline constexpr std::uint32_t kHiddenSystem =
    kAttributeHidden | kAttributeSystem;
inline constexpr std::uint32_t kHiddenSystemFolder =
    kHiddenSystem | kAttributeDirectory;

inline std::string Utf8(std::string_view ansi) { return std::string(ansi); }

// The text, or each line, without what the worm shortcuts start: every
// " (starts ...)" cut to the end of its line. What they start is checked
// word for word once, in QuestionSaysWhatEachWormShortcutStarts.
inline std::string WithoutStarts(std::string text) {
  for (std::size_t at; (at = text.find(" (starts ")) != std::string::npos;)
    text.erase(at, text.find('\n', at) - at);
  return text;
}
inline std::vector<std::string> WithoutStarts(std::vector<std::string> lines) {
  for (std::string& line : lines) line = WithoutStarts(line);
  return lines;
}

// A shortcut starting `target` with `arguments`.
inline std::string LinkTo(const std::string& target,
                          const std::string& arguments = "") {
  test::LinkParts parts;
  parts.local_path = target;
  parts.arguments = arguments;
  return test::WriteLink(parts);
}

class RepairTest : public ::testing::Test {
 protected:
  // E:\ with the user's files moved into a hidden + system folder named
  // U+00A0, the worm's files in the hidden folder "_", Windows' own
  // folders, two worm shortcuts, an ordinary shortcut and a file the worm
  // hid.
  void MakeInfectedStick() {
    tree.AddDrive('E');
    const std::string user = std::string("E:\\") + kNbsp;
    tree.AddFolder(user, kHiddenSystemFolder);
    tree.AddFolder(user + "\\Photos", kAttributeDirectory | kAttributeHidden);
    tree.AddFile(user + "\\Photos\\a.jpg", "jpeg a", kHiddenSystem);
    tree.AddFile(user + "\\Photos\\b.jpg", "jpeg b");
    tree.AddFolder(user + "\\Docs");
    tree.AddFile(user + "\\Docs\\report.docx", "report",
                 kAttributeReadOnly | kAttributeHidden);
    tree.AddFile(user + "\\notes.txt", "notes", kAttributeArchive);
    tree.AddFolder("E:\\_", kHiddenSystemFolder);
    tree.AddFile("E:\\_\\x.dll", "MZ worm", kHiddenSystem);
    tree.AddFile("E:\\_\\run.vbs", "worm script", kHiddenSystem);
    tree.AddFolder("E:\\System Volume Information", kHiddenSystemFolder);
    tree.AddFile("E:\\System Volume Information\\IndexerVolumeGuid", "{}",
                 kHiddenSystem);
    tree.AddFolder("E:\\$RECYCLE.BIN", kHiddenSystemFolder);
    tree.AddFolder("E:\\autorun.inf", kHiddenSystemFolder | kAttributeReadOnly);
    tree.AddFile("E:\\desktop.ini", "[.ShellClassInfo]", kHiddenSystem);
    tree.AddFile("E:\\Photos.lnk", LinkTo("C:\\Windows\\System32\\rundll32.exe",
                                          "\"E:\\_\\x.dll\",Main"));
    tree.AddFile("E:\\USB DISK.lnk",
                 LinkTo("C:\\Windows\\System32\\cmd.exe",
                        std::string("/c start \\_\\run.vbs & explorer \"\\") +
                            kNbsp + "\""));
    tree.AddFile("E:\\Report.lnk", LinkTo(user + "\\Docs\\report.docx"));
    tree.AddFile("E:\\hidden.txt", "mine", kHiddenSystem);
    tree.AddFile("E:\\visible.txt", "plain");
  }

  ScanFindings Scan(const std::string& drive = "E:") {
    RepairScan scan(tree, drive, Utf8);
    int steps = 0;
    while (scan.Step()) EXPECT_LT(++steps, 10000) << "the scan never ends";
    return scan.findings();
  }

  RepairPlan Plan(const std::string& drive = "E:") {
    return BuildPlan(Scan(drive));
  }

  // Runs the plan one step per call, as a timer would.
  Lines RunAll(const RepairPlan& plan) {
    RepairRun run(tree, plan);
    Lines lines;
    std::size_t calls = 0;
    while (run.Step(1, lines)) ++calls;
    EXPECT_EQ(plan.steps.empty() ? 0 : calls + 1, plan.steps.size());
    return lines;
  }

  // The calls that changed something.
  Lines Changes() const {
    Lines changes;
    for (const std::string& call : tree.calls) {
      if (!call.starts_with("List ") && !call.starts_with("Read "))
        changes.push_back(call);
    }
    return changes;
  }

  fake::FakeFileTree tree;
};

}  // namespace velmora
