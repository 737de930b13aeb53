// The repair's decisions by name and by what a shortcut starts.
#include "repair/worm_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace velmora {
namespace {

using Paths = std::vector<std::string>;

ShellLink Link(std::string target, std::string arguments = "",
               std::string working_dir = "") {
  ShellLink link;
  link.target = std::move(target);
  link.arguments = std::move(arguments);
  link.working_dir = std::move(working_dir);
  return link;
}

const auto kNothingHidden = [](const std::string&) { return false; };

TEST(WormRulesTest, WindowsOwnEntries) {
  for (const char* name :
       {"System Volume Information", "$RECYCLE.BIN", "$Recycle.Bin", "RECYCLER",
        "recycled", "autorun.inf", "AUTORUN.INF"})
    EXPECT_TRUE(IsWindowsOwn(name, true)) << name;
  EXPECT_FALSE(IsWindowsOwn("autorun.inf", false));
  EXPECT_FALSE(IsWindowsOwn("RECYCLER.BIN", true));
  EXPECT_FALSE(IsWindowsOwn("Photos", true));
  EXPECT_FALSE(IsWindowsOwn("\xC2\xA0", true));
  EXPECT_TRUE(IsWindowsOwn("desktop.ini", false));
  EXPECT_TRUE(IsWindowsOwn("PAGEFILE.SYS", false));
  EXPECT_FALSE(IsWindowsOwn("desktop.ini", true));
  for (const char* name : {"FOUND.000", "found.042", "Config.Msi", "MSOCache"})
    EXPECT_TRUE(IsWindowsOwn(name, true)) << name;
  for (const char* name : {"FOUND.0000", "FOUND.ABC", "FOUND.", "Recovery"})
    EXPECT_FALSE(IsWindowsOwn(name, true)) << name;
  for (const char* name : {"Thumbs.db", "DESKTOP.INI", "ehthumbs.db"})
    EXPECT_TRUE(IsWindowsOwnInAnyFolder(name)) << name;
  EXPECT_FALSE(IsWindowsOwnInAnyFolder("bootmgr"));
}

TEST(WormRulesTest, InvisibleNames) {
  for (const char* name :
       {"", " ", "\xC2\xA0", "\xC2\xA0\xC2\xA0", "\xE2\x80\x8B",  // U+200B
        "\xE3\x80\x80",                                           // U+3000
        "\xE3\x85\xA4",                                           // U+3164
        "\xEF\xBB\xBF",                                           // U+FEFF
        " \xE2\x80\x8F\xE2\x81\xA0", "\xF3\xA0\x80\x81"})         // tag
    EXPECT_TRUE(IsInvisibleName(name)) << ShownName(name);
  for (const char* name : {"a", " a", "\xC2\xA0.", "_", "\xE2\x80\x94", "\xFF",
                           "\xC2"})  // broken UTF-8 shows
    EXPECT_FALSE(IsInvisibleName(name)) << name;
}

TEST(WormRulesTest, ShownNameSpellsOutInvisibleNames) {
  EXPECT_EQ(ShownName("Photos"), "Photos");
  EXPECT_EQ(ShownName("\xC2\xA0"), "[U+00A0]");
  EXPECT_EQ(ShownName(" \xE2\x80\x8B"), "[U+0020 U+200B]");
  EXPECT_EQ(ShownName("\xF3\xA0\x80\x81"), "[U+E0001]");
  // In a name that shows, what could hide or turn round the rest is
  // spelled out; blanks and broken UTF-8 stay as they are.
  EXPECT_EQ(ShownName("photo\xE2\x80\xAEgpj.exe"), "photo[U+202E]gpj.exe");
  EXPECT_EQ(ShownName("a\nb\xE2\x80\x8B\xEF\xBB\xBF"),
            "a[U+000A]b[U+200B][U+FEFF]");
  const std::string shows =
      "USB\xC2\xA0"
      "DISK \xE3\x80\x80x\xFF";
  EXPECT_EQ(ShownName(shows), shows);
}

TEST(WormRulesTest, RecoveredNameIsNumberedWhenTaken) {
  EXPECT_EQ(RecoveredName({}), "Recovered files");
  EXPECT_EQ(RecoveredName({"Photos", "Recovered"}), "Recovered files");
  EXPECT_EQ(RecoveredName({"recovered FILES"}), "Recovered files (2)");
  EXPECT_EQ(RecoveredName({"Recovered files (2)", "Recovered files",
                           "Recovered files (3)"}),
            "Recovered files (4)");
}

TEST(WormRulesTest, CommandInterpreters) {
  for (const char* path :
       {"cmd", "CMD.EXE", "C:\\Windows\\System32\\cmd.exe", "%ComSpec%",
        "%windir%\\system32\\WScript.exe", "cscript.exe", "mshta",
        "C:/Windows/rundll32.exe", "regsvr32.exe", "powershell.exe", "pwsh",
        "msiexec.exe", "command.com"})
    EXPECT_TRUE(IsCommandInterpreter(path)) << path;
  for (const char* path : {"cmd.txt", "notepad.exe", "E:\\cmd\\x.docx",
                           "explorer.exe", "", ".exe", "wscript.exe.lnk"})
    EXPECT_FALSE(IsCommandInterpreter(path)) << path;
  for (const char* path : {"rundll32", "C:\\w\\REGSVR32.EXE", "wscript.exe",
                           "cscript", "mshta.exe", "javaw.exe"})
    EXPECT_TRUE(RunsFileAsCode(path)) << path;
  for (const char* path : {"cmd.exe", "powershell.exe", "%ComSpec%"})
    EXPECT_FALSE(RunsFileAsCode(path)) << path;
}

TEST(WormRulesTest, ProgramsAndScripts) {
  for (const char* path : {"x.exe", "E:\\_\\run.VBS", "a.js", "b.dll", "c.bat",
                           "d.ps1", "e.hta", "f.scr"})
    EXPECT_TRUE(IsProgramOrScript(path)) << path;
  for (const char* path :
       {"report.docx", "photo.jpg", "exe", "E:\\x.exe\\y", "notes.txt"})
    EXPECT_FALSE(IsProgramOrScript(path)) << path;
}

TEST(WormRulesTest, CommandWordsKeepQuotedPartsWhole) {
  EXPECT_EQ(CommandWords("/c start \"\" \"My Files\\x.vbs\"&explorer \"a b\""),
            (Paths{"/c", "start", "My Files\\x.vbs", "explorer", "a b"}));
  EXPECT_EQ(CommandWords("\"E:\\x.dll\",Main"), (Paths{"E:\\x.dll", "Main"}));
  EXPECT_EQ(CommandWords("  \"unclosed part"), (Paths{"unclosed part"}));
  // A quote switches quoting inside a word, as cmd and CommandLineToArgvW
  // read it.
  EXPECT_EQ(CommandWords("start Secret\" \"Text\" \"File.txt"),
            (Paths{"start", "Secret Text File.txt"}));
  EXPECT_TRUE(CommandWords("").empty());
}

TEST(WormRulesTest, PathsOnTheDrive) {
  EXPECT_EQ(PathsOnDrive(Link("C:\\Windows\\rundll32.exe",
                              "\"e:\\\xC2\xA0\\x.dll\",Main"),
                         "E:"),
            (Paths{"E:\\\xC2\xA0\\x.dll"}));
  EXPECT_EQ(PathsOnDrive(Link("%ComSpec%",
                              "/c start \\_\\run.vbs & start x.js & "
                              "explorer ..\\..\\Photos"),
                         "E:"),
            (Paths{"E:\\_\\run.vbs", "E:\\x.js", "E:\\Photos"}));
  EXPECT_EQ(PathsOnDrive(Link("wscript.exe", "sub\\.\\run.js", "E:\\_"), "E:"),
            (Paths{"E:\\_\\sub\\run.js"}));
  EXPECT_EQ(
      PathsOnDrive(Link("\\\\server\\x.exe", "F:\\y.exe -v %TEMP%"), "E:"),
      Paths{});
}

// An interpreter or script host alone makes no worm shortcut: it must
// start something hidden of the drive.
TEST(WormRulesTest, InterpreterInTargetOrArguments) {
  EXPECT_FALSE(IsWormShortcut(Link("C:\\Windows\\System32\\cmd.exe", "/c x"),
                              "E:", kNothingHidden));
  EXPECT_FALSE(IsWormShortcut(Link("%ComSpec%"), "E:", kNothingHidden));
  EXPECT_TRUE(IsWormShortcut(
      Link("%ComSpec%", "/c x.js"),
      "E:", [](const std::string& path) { return path == "E:\\x.js"; }));
  EXPECT_FALSE(
      IsWormShortcut(Link("E:\\Docs\\report.docx"), "E:", kNothingHidden));
  EXPECT_FALSE(IsWormShortcut(
      Link("C:\\Program Files\\App\\app.exe", "E:\\Docs\\report.docx"),
      "E:", kNothingHidden));
}

TEST(WormRulesTest, ProgramInAHiddenFolderOfTheDrive) {
  const std::set<std::string> hidden = {"E:\\_\\run.exe", "E:\\_\\notes.txt"};
  const auto in_hidden = [&](const std::string& path) {
    return hidden.count(path) > 0;
  };
  EXPECT_TRUE(IsWormShortcut(Link("E:\\_\\run.exe"), "E:", in_hidden));
  EXPECT_TRUE(IsWormShortcut(Link("_\\run.exe"), "E:", in_hidden));
  EXPECT_FALSE(IsWormShortcut(Link("E:\\_\\notes.txt"), "E:", in_hidden));
  EXPECT_FALSE(IsWormShortcut(Link("F:\\_\\run.exe"), "E:", in_hidden));
  EXPECT_FALSE(IsWormShortcut(Link("E:\\run.exe"), "E:", in_hidden));
}

// The files cmd reads as its commands: a `<` into cmd, what `type` prints
// into a pipe to cmd; nothing else.
TEST(WormRulesTest, FilesFedToCmd) {
  const struct {
    const char* line;
    Paths fed;
  } cases[] = {
      {"cmd.exe /r cmd<qW9.usb", {"qW9.usb"}},
      {"cmd /c type \"a b.txt\" | cmd & type c.txt", {"a b.txt"}},
      {"%ComSpec% /q < x", {"x"}},
      {"sort < x.txt > y.txt", {}},
      {"cmd /c type x.txt | more", {}},
  };
  for (const auto& [line, fed] : cases) {
    Paths found;
    for (const CommandWord& word : ReadCommandLine(line))
      if (word.fed_to_cmd) found.push_back(word.text);
    EXPECT_EQ(found, fed) << line;
  }
}

// The drive's hidden files, as the scan's predicate answers for them.
bool HiddenOnE(const std::string& path) {
  static const std::set<std::string> hidden = {
      "E:\\_\\run.vbs", "E:\\_\\x.dll", "E:\\_\\thesis.docx", "E:\\_\\x.txt",
      "E:\\h\\run.exe", "E:\\run.vbs",  "E:\\_\\desktop.ini"};
  return hidden.count(path) > 0;
}

// What a shortcut starts decides whether it is the worm's: the file
// through which it starts something hidden of the drive, or nothing. (The
// cases of InterpreterInTargetOrArguments and
// ProgramInAHiddenFolderOfTheDrive are not repeated.)
TEST(WormRulesTest, WormShortcutsStartSomethingHiddenOfTheDrive) {
  const char* const kCmd = "C:\\Windows\\System32\\cmd.exe";
  const struct {
    ShellLink link;
    std::string started;
  } cases[] = {
      {Link(kCmd, "/c E:\\build.bat"), ""},  // a visible script
      {Link(kCmd, "/c start \\_\\run.vbs & explorer _"), "E:\\_\\run.vbs"},
      {Link("%ComSpec%", "/c start _\\thesis.docx"), "E:\\_\\thesis.docx"},
      {Link("C:\\w\\rundll32.exe", "\"e:\\_\\x.dll\",Main"), "E:\\_\\x.dll"},
      {Link("wscript.exe", "run.vbs", "E:\\_"), "E:\\_\\run.vbs"},
      {Link("wscript.exe", "//B E:\\run.vbs"), "E:\\run.vbs"},
      // Only an interpreter's arguments say what it starts.
      {Link("C:\\Office\\word.exe", "E:\\_\\thesis.docx"), ""},
      {Link("C:\\Windows\\explorer.exe", "\"E:\\x\" & wscript.exe //B x.js"),
       ""},
      {Link(kCmd, "/c F:\\_\\run.vbs"), ""},
      {Link(kCmd, "/c start http://E:\\_\\run.vbs"), ""},
  };
  for (const auto& [link, started] : cases)
    EXPECT_EQ(HiddenFileStarted(link, "E:", HiddenOnE), started)
        << link.target << " " << link.arguments;
}

// A shortcut's first kPathsLookedAt paths of the drive are looked at, and
// no more: one that names the hidden script only after them is the
// user's.
TEST(WormRulesTest, OnlyTheFirstPathsAreLookedAt) {
  std::string words = "/c";
  for (std::size_t i = 1; i < kPathsLookedAt; ++i)
    words += " E:\\d" + std::to_string(i) + ".txt";
  std::size_t asked = 0;
  const auto counted = [&asked](const std::string& path) {
    ++asked;
    return path == "E:\\run.vbs";
  };
  const char* const kCmd = "cmd.exe";
  EXPECT_EQ(
      HiddenFileStarted(Link(kCmd, words + " E:\\run.vbs"), "E:", counted),
      "E:\\run.vbs");
  asked = 0;
  EXPECT_EQ(HiddenFileStarted(Link(kCmd, words + " E:\\x.txt E:\\run.vbs"),
                              "E:", counted),
            "");
  EXPECT_EQ(asked, kPathsLookedAt);
}

// The hidden files a worm shortcut names that are code: by extension, or
// as the file a code host is given first. Documents are decoys.
TEST(WormRulesTest, WormProgramsAreTheProgramsItNames) {
  const struct {
    ShellLink link;
    Paths programs;
  } cases[] = {
      {Link("cmd.exe", "/c start \\_\\run.vbs & start \\_\\thesis.docx"),
       {"E:\\_\\run.vbs"}},
      {Link("rundll32.exe", "\"E:\\_\\desktop.ini\",Main"),
       {"E:\\_\\desktop.ini"}},
      {Link("wscript.exe", "//E:vbscript //B E:\\_\\x.txt E:\\_\\thesis.docx"),
       {"E:\\_\\x.txt"}},
      {Link("cmd.exe", "/c start E:\\_\\x.txt & E:\\build.bat"), {}},
      {Link("cmd.exe", "/r cmd<\\_\\x.txt"), {"E:\\_\\x.txt"}},
      {Link("E:\\h\\run.exe", "E:\\_\\x.dll"),
       {"E:\\h\\run.exe", "E:\\_\\x.dll"}},
  };
  for (const auto& [link, programs] : cases)
    EXPECT_EQ(ProgramsNamed(link, "E:", HiddenOnE), programs)
        << link.target << " " << link.arguments;
}

}  // namespace
}  // namespace velmora
