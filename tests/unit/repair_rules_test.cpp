// The repair's rules on whole sticks: each case is a drive before the
// repair and what must change, checked against the whole drive after it,
// with the user's own shortcuts and hidden things beside the worm's. (The
// folder U+00A0 renamed and shown, read-only kept, is RepairsTheInfectedStick.)
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/unit/repair_fixture.h"

namespace velmora {
namespace {

constexpr std::uint32_t kFolder = kAttributeDirectory;
constexpr std::uint32_t kHiddenFolder = kAttributeDirectory | kAttributeHidden;
constexpr std::uint32_t kHidden = kAttributeHidden;
constexpr std::uint32_t kReadOnly = kAttributeReadOnly;
constexpr char kCmd[] = "C:\\Windows\\System32\\cmd.exe";
constexpr char kWscript[] = "C:\\Windows\\System32\\wscript.exe";
constexpr char kRundll32[] = "C:\\Windows\\System32\\rundll32.exe";
const std::string kBlank = std::string("E:\\") + kNbsp;

struct Entry {
  std::string path;
  std::uint32_t attributes;
  std::string contents;  // a file's; empty for a folder
};

// What the repair must change: an entry's new attributes, or kGone.
struct Change {
  std::string path;
  std::uint32_t attributes;
};
constexpr std::uint32_t kGone = ~std::uint32_t{0};

std::string Url(const std::string& url) {
  return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

struct Case {
  const char* name;
  std::vector<Entry> before;
  std::vector<Change> changes;  // everything else stays as it was
  bool recovered = false;       // the folder U+00A0 is "Recovered files"
};

const Case kCases[] = {
    {"the user's Command Prompt and Build shortcuts stay",
     {{"E:\\Command Prompt.lnk", 0, LinkTo(kCmd)},
      {"E:\\Build.lnk", 0, LinkTo(kCmd, "/c E:\\build.bat")},
      {"E:\\build.bat", kAttributeArchive, "make"},
      {"E:\\App.lnk", 0, LinkTo("F:\\Tools\\app.exe", "E:\\data.txt")},
      {"E:\\Tidy.lnk", 0, LinkTo(kWscript, "E:\\scripts\\tidy.vbs")},
      {"E:\\scripts", kFolder, ""},
      {"E:\\scripts\\tidy.vbs", 0, "tidy"},
      {"E:\\USB.lnk", 0, LinkTo(kCmd, "/c start _\\run.vbs & explorer _")},
      {"E:\\_", kHiddenSystemFolder, ""},
      {"E:\\_\\run.vbs", kHiddenSystem, "worm"}},
     {{"E:\\USB.lnk", kGone}}},
    {"the user's folder holding the worm's script comes back, the script "
     "hidden",
     {{"E:\\_", kHiddenSystemFolder, ""},
      {"E:\\_\\thesis.docx", kHiddenSystem | kReadOnly, "thesis"},
      {"E:\\_\\run.vbs", kHiddenSystem, "worm"},
      {"E:\\thesis.lnk", 0, LinkTo(kWscript, "\"E:\\_\\run.vbs\"")}},
     {{"E:\\_", kFolder},
      {"E:\\_\\thesis.docx", kReadOnly},
      {"E:\\thesis.lnk", kGone}}},
    {"what the user hid, hidden but not system, stays",
     {{"E:\\Private", kHiddenFolder, ""},
      {"E:\\Private\\diary.txt", kHiddenSystem, "dear"},
      {"E:\\old.txt", kHidden, "old"},
      {"E:\\Only system", kFolder | kAttributeSystem, ""},
      {"E:\\Only system\\a.txt", kHiddenSystem, "a"}},
     {}},
    {"a desktop.ini disguise: the library rundll32 loads stays hidden",
     {{kBlank, kHiddenSystemFolder, ""},
      {kBlank + "\\desktop.ini", kHiddenSystem, "MZ library"},
      {kBlank + "\\Thumbs.db", kHiddenSystem, "thumbs"},
      {kBlank + "\\thesis.docx", kHiddenSystem, "thesis"},
      {"E:\\desktop.ini", kHiddenSystem, "[.ShellClassInfo]"},
      {"E:\\USB Drive.lnk", 0,
       LinkTo(kRundll32, std::string("\\") + kNbsp + "\\desktop.ini,Main")},
      {"E:\\_", kHiddenSystemFolder, ""},
      {"E:\\_\\desktop.ini", kHiddenSystem, "MZ"},
      {"E:\\Music.lnk", 0, LinkTo(kRundll32, "_\\desktop.ini,Main")}},
     {{kBlank, kFolder},
      {kBlank + "\\thesis.docx", 0},
      {"E:\\USB Drive.lnk", kGone},
      {"E:\\Music.lnk", kGone}},
     true},
    {"a RECYCLER.BIN payload: the worm's folder stays whole",
     {{"E:\\RECYCLER.BIN", kHiddenSystemFolder, ""},
      {"E:\\RECYCLER.BIN\\S-1-5-21", kHiddenSystemFolder, ""},
      {"E:\\RECYCLER.BIN\\S-1-5-21\\svchost.exe", kHiddenSystem, "MZ"},
      {"E:\\RECYCLER", kHiddenSystemFolder, ""},
      {"E:\\RECYCLER\\INFO2", kHiddenSystem, "bin"},
      {"E:\\FOUND.000", kHiddenSystemFolder, ""},
      {"E:\\FOUND.000\\FILE0000.CHK", kHiddenSystem, "chk"},
      {"E:\\Photos", kHiddenSystemFolder, ""},
      {"E:\\Photos\\a.jpg", kHiddenSystem, "a"},
      {"E:\\Photos.lnk", kHiddenSystem,
       LinkTo(kCmd,
              "/c start RECYCLER.BIN\\S-1-5-21\\svchost.exe & explorer "
              "Photos")}},
     {{"E:\\Photos", kFolder},
      {"E:\\Photos\\a.jpg", 0},
      {"E:\\Photos.lnk", kGone}}},
    {"a hidden payload in the root stays hidden",
     {{"E:\\run.vbs", kHiddenSystem, "worm"},
      {"E:\\Docs.lnk", 0, LinkTo(kWscript, "//B E:\\run.vbs")},
      {"E:\\Docs", kHiddenSystemFolder, ""},
      {"E:\\Docs\\a.txt", 0, "a"}},
     {{"E:\\Docs", kFolder}, {"E:\\Docs.lnk", kGone}}},
    {".url files that open a hidden script are the worm's",
     {{"E:\\Photos.url", 0, Url("file:///E:/_/run.vbs")},
      {"E:\\Music.url", 0, Url("\\_\\run.vbs")},
      {"E:\\Site.url", 0, Url("https://example.com/")},
      {"E:\\Tidy.url", 0, Url("file:///E:/tidy.vbs")},
      {"E:\\tidy.vbs", 0, "tidy"},
      {"E:\\_", kHiddenSystemFolder, ""},
      {"E:\\_\\holiday.jpg", kHiddenSystem, "jpg"},
      {"E:\\_\\run.vbs", kHiddenSystem, "worm"}},
     {{"E:\\_", kFolder},
      {"E:\\_\\holiday.jpg", 0},
      {"E:\\Photos.url", kGone},
      {"E:\\Music.url", kGone}}},
    // Shortcut worms as public descriptions of them give their sticks.
    {"a root shortcut per file, the path written with quoted spaces",
     {{"E:\\Secret Text File.txt", kHidden, "text"},
      {"E:\\Secret Text File.txt.lnk", 0,
       LinkTo(kCmd, "/c start _\\w.vbs & start Secret\" \"Text\" \"File.txt")},
      {"E:\\_", kHiddenSystemFolder, ""},
      {"E:\\_\\w.vbs", kHiddenSystem, "worm"},
      {"E:\\old.txt", kHidden, "old"}},
     {{"E:\\Secret Text File.txt", 0},
      {"E:\\Secret Text File.txt.lnk", kGone}}},
    {"same-name shortcuts in every folder, each beside its hidden document",
     {{"E:\\Work", kFolder, ""},
      {"E:\\Work\\budget.xlsx", kHiddenSystem, "xlsx"},
      {"E:\\Work\\budget.xlsx.lnk", 0,
       LinkTo(kWscript,
              "//B //E:JScript \\_cache\\w.js \"\\Work\\budget.xlsx\"")},
      {"E:\\Work\\private.txt", kHidden, "mine"},
      {"E:\\Work\\Old", kHiddenFolder, ""},
      {"E:\\Work\\Old\\plan.docx", kHidden, "plan"},
      {"E:\\Work\\Old\\plan.docx.lnk", 0,
       LinkTo(kWscript, "//B ..\\..\\_cache\\w.js plan.docx")},
      {"E:\\budget.xlsx", kHiddenSystem, "root xlsx"},
      {"E:\\budget.xlsx.lnk", 0,
       LinkTo(kWscript, "//B //E:JScript \\_cache\\w.js \"\\budget.xlsx\"")},
      {"E:\\_cache", kHiddenSystemFolder, ""},
      {"E:\\_cache\\w.js", kHiddenSystem, "worm"}},
     {{"E:\\Work\\budget.xlsx", 0},
      {"E:\\Work\\budget.xlsx.lnk", kGone},
      {"E:\\Work\\Old\\plan.docx", 0},
      {"E:\\Work\\Old\\plan.docx.lnk", kGone},
      {"E:\\budget.xlsx", 0},
      {"E:\\budget.xlsx.lnk", kGone}}},
    {"commands fed to cmd stay hidden whatever their names",
     {{"E:\\qW9.usb", kHiddenSystem, "worm commands"},
      {"E:\\Photos.lnk", 0, LinkTo(kCmd, "/r cmd<qW9.usb")},
      {"E:\\_", kHiddenSystemFolder, ""},
      {"E:\\_\\m.txt", kHiddenSystem, "worm commands"},
      {"E:\\Music", kHiddenFolder, ""},
      {"E:\\Music\\a.mp3", kHidden, "mp3"},
      {"E:\\Music.lnk", 0,
       LinkTo(kCmd, "/c type _\\m.txt|cmd & explorer Music\\.")}},
     {{"E:\\Photos.lnk", kGone},
      {"E:\\Music", kFolder},
      {"E:\\Music.lnk", kGone}}},
    {"rundll32 with file,export: the library in a visible folder stays hidden",
     {{"E:\\RECYCLER.BIN", kFolder, ""},
      {"E:\\RECYCLER.BIN\\w.dll", kHiddenSystem, "MZ"},
      {"E:\\Docs", kFolder, ""},
      {"E:\\Docs\\report.pdf.lnk", 0,
       LinkTo(kRundll32,
              "E:\\RECYCLER.BIN\\w.dll,Run \"E:\\Docs\\report.pdf\"")},
      {"E:\\Docs\\report.pdf", kHidden, "pdf"}},
     {{"E:\\Docs\\report.pdf.lnk", kGone}, {"E:\\Docs\\report.pdf", 0}}},
    {"a script host given a folder: the folder alone comes back",
     {{"E:\\Pictures", kFolder, ""},
      {"E:\\Pictures\\Photos 2026", kHiddenFolder, ""},
      {"E:\\Pictures\\Photos 2026\\a.jpg", kHidden, "jpg"},
      {"E:\\Pictures\\Photos 2026.lnk", 0,
       LinkTo(kWscript, "//B E:\\_\\s.js \"\\Pictures\\Photos 2026\"")},
      {"E:\\_", kHiddenSystemFolder, ""},
      {"E:\\_\\s.js", kHiddenSystem, "worm"}},
     {{"E:\\Pictures\\Photos 2026", kFolder},
      {"E:\\Pictures\\Photos 2026.lnk", kGone}}},
    {"a shortcut inside the blank-named folder goes, the document comes back",
     {{kBlank, kHiddenSystemFolder, ""},
      {kBlank + "\\notes.docx", kHiddenSystem, "notes"},
      {kBlank + "\\notes.docx.lnk", 0,
       LinkTo(kWscript, "//B E:\\_\\s.js notes.docx")},
      {"E:\\_", kHiddenSystemFolder, ""},
      {"E:\\_\\s.js", kHiddenSystem, "worm"}},
     {{kBlank, kFolder},
      {kBlank + "\\notes.docx", 0},
      {kBlank + "\\notes.docx.lnk", kGone}},
     true},
};

// A failing case names itself rather than its bytes.
void PrintTo(const Case& rules, std::ostream* out) { *out << rules.name; }

// The whole drive as the case says it must be after the repair, in the
// fake tree's snapshot lines.
Lines Expected(const Case& rules) {
  Lines lines;
  for (Entry entry : rules.before) {
    for (const Change& change : rules.changes) {
      if (change.path == entry.path) entry.attributes = change.attributes;
    }
    if (entry.attributes == kGone) continue;
    if (rules.recovered && entry.path.starts_with(kBlank))
      entry.path = "E:\\Recovered files" + entry.path.substr(kBlank.size());
    lines.push_back(entry.path + "|" + std::to_string(entry.attributes) + "|" +
                    entry.contents);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

class RepairRulesTest : public RepairTest,
                        public ::testing::WithParamInterface<Case> {};

TEST_P(RepairRulesTest, LeavesTheWholeDriveAsItMustBe) {
  const Case& rules = GetParam();
  tree.AddDrive('E');
  for (const Entry& entry : rules.before) {
    if (entry.attributes & kAttributeDirectory)
      tree.AddFolder(entry.path, entry.attributes);
    else
      tree.AddFile(entry.path, entry.contents, entry.attributes);
  }
  ASSERT_EQ(tree.Snapshot().size(), rules.before.size());
  RunAll(Plan());
  Lines after = tree.Snapshot();
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, Expected(rules)) << rules.name;
}

INSTANTIATE_TEST_SUITE_P(Sticks, RepairRulesTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return "Case" + std::to_string(info.index);
                         });

// The question names what each worm shortcut starts, so that a mistake
// shows before the Yes.
TEST_F(RepairTest, QuestionSaysWhatEachWormShortcutStarts) {
  tree.AddDrive('E');
  tree.AddFolder("E:\\_", kHiddenSystemFolder);
  tree.AddFile("E:\\_\\run.vbs", "worm", kHiddenSystem);
  tree.AddFolder(kBlank);
  tree.AddFile(kBlank + "\\w.exe", "MZ", kHiddenSystem);
  tree.AddFile("E:\\Photos.url", Url("file:///E:/_/run.vbs"));
  tree.AddFile("E:\\Thesis.lnk", LinkTo(kBlank + "\\w.exe"));
  tree.AddFile("E:\\Long.lnk",
               LinkTo(kCmd, "/c start " + std::string(200, 'a') + "\\b.exe"));
  tree.AddFolder("E:\\" + std::string(200, 'a'));
  tree.AddFile("E:\\" + std::string(200, 'a') + "\\b.exe", "MZ", kHiddenSystem);
  const RepairPlan plan = Plan();
  const std::string text = PreviewText(plan);
  EXPECT_NE(text.find("\n- Delete 3 worm shortcuts:"
                      "\n   Long.lnk (starts cmd.exe with E:\\aaa"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("aaa\xE2\x80\xA6)"
                      "\n   Photos.url (starts E:\\_\\run.vbs)"
                      "\n   Thesis.lnk (starts E:\\[U+00A0]\\w.exe)\n"),
            std::string::npos)
      << text;
  const Lines lines = RunAll(plan);
  EXPECT_EQ(lines[1],
            "Worm shortcut deleted: E:\\Photos.url (starts E:\\_\\run.vbs)");
}

// A shortcut below the root is shown with its folder, and what it stood for
// by its path below the root, in the question and the log.
TEST_F(RepairTest, QuestionShowsTheFolderOfEachShortcutAndWhatItStoodFor) {
  tree.AddDrive('E');
  tree.AddFolder("E:\\_", kHiddenSystemFolder);
  tree.AddFile("E:\\_\\w.js", "worm", kHiddenSystem);
  tree.AddFolder("E:\\Work");
  tree.AddFile("E:\\Work\\budget.xlsx", "xlsx", kHiddenSystem);
  tree.AddFile("E:\\Work\\budget.xlsx.lnk",
               LinkTo(kWscript, "//B \\_\\w.js \"\\work\\budget.xlsx\""));
  const RepairPlan plan = Plan();
  EXPECT_EQ(PreviewText(plan),
            "Repair hidden files on E:?\n"
            "\n- Delete 1 worm shortcut:"
            "\n   Work\\budget.xlsx.lnk (starts wscript.exe with E:\\_\\w.js)"
            "\n- Make 0 folders and 1 file visible again: Work\\budget.xlsx"
            "\n- Leave 1 worm program where it is, hidden, for an antivirus: "
            "E:\\_\\w.js"
            "\n\nNothing else on the drive changes.");
  const Lines lines = RunAll(plan);
  EXPECT_EQ(lines[1], "File made visible: E:\\Work\\budget.xlsx")
      << testing::PrintToString(lines);
}

}  // namespace
}  // namespace velmora
