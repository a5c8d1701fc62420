#include <gtest/gtest.h>

#include <vector>

#include "app/options.h"

namespace {

using app::Options;

Options Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "Velunor2.0");
  return app::ParseOptions(static_cast<int>(args.size()), args.data());
}

TEST(Options, HelpAndVersionEndTheProgramWhereverTheyStand) {
  EXPECT_EQ(Parse({"--help"}).action, Options::Action::kHelp);
  EXPECT_EQ(Parse({"--demo", "-h"}).action, Options::Action::kHelp);
  EXPECT_EQ(Parse({"--drive-c", "/d", "--version"}).action, Options::Action::kVersion);
  EXPECT_EQ(app::VersionText().rfind("Velunor2.0 ", 0), 0u);
  EXPECT_GT(app::VersionText().size(), std::string("Velunor2.0 ").size());
  // Every option is explained in both languages.
  const std::string help = app::HelpText();
  for (const char* text :
       {"--drive-c", "--demo", "--help", "--version", "使い方", "Usage", "デモ用データドライブ",
        "demonstration drive", "VELUNOR_DRIVE_C より優先", "over VELUNOR_DRIVE_C"}) {
    EXPECT_NE(help.find(text), std::string::npos) << text;
  }
}

TEST(Options, TheProgramRunsWithItsOwnAndQtsOptions) {
  EXPECT_EQ(Parse({}).action, Options::Action::kRun);
  EXPECT_FALSE(Parse({}).demo);
  const Options demo = Parse({"--demo"});
  EXPECT_EQ(demo.action, Options::Action::kRun);
  EXPECT_TRUE(demo.demo);
  // The drive's folder is a value, even one that looks like an option.
  EXPECT_EQ(Parse({"--drive-c", "--demo"}).action, Options::Action::kRun);
  EXPECT_FALSE(Parse({"--drive-c", "--demo"}).demo);
  EXPECT_EQ(Parse({"--drive-c=/data"}).action, Options::Action::kRun);
  EXPECT_EQ(Parse({"-platform", "offscreen", "-style", "fusion"}).action, Options::Action::kRun);
}

TEST(Options, AnUnknownOptionOrAMissingFolderIsRefused) {
  const Options unknown = Parse({"--demo", "--hlep"});
  EXPECT_EQ(unknown.action, Options::Action::kError);
  EXPECT_NE(unknown.error.find("--hlep"), std::string::npos);
  EXPECT_NE(unknown.error.find("不明なオプション"), std::string::npos);
  const Options missing = Parse({"--drive-c"});
  EXPECT_EQ(missing.action, Options::Action::kError);
  EXPECT_NE(missing.error.find("--drive-c"), std::string::npos);
}

TEST(Options, TheDriveToolsTakeTheirValues) {
  struct Case {
    std::vector<const char*> args;
    Options::Action action;
    Options::Tool tool;
    std::string file;
  };
  const Case cases[] = {
      {{"--drive-c", "/d", "--backup", "b.tar.gz"},
       Options::Action::kTool,
       Options::Tool::kBackup,
       "b.tar.gz"},
      {{"--restore", "b.tar.gz", "--yes"},
       Options::Action::kTool,
       Options::Tool::kRestore,
       "b.tar.gz"},
      {{"--restore", "b.tar.gz"}, Options::Action::kError, Options::Tool::kRestore, "b.tar.gz"},
      {{"--export-csv", "patients", "p.csv", "--encoding", "utf-8"},
       Options::Action::kTool,
       Options::Tool::kExportCsv,
       "p.csv"},
      {{"--export-csv", "exams", "e.csv", "--encoding", "sjis"},
       Options::Action::kError,
       Options::Tool::kExportCsv,
       "e.csv"},
      {{"--export-csv", "exams"}, Options::Action::kError, Options::Tool::kNone, ""},
      {{"--check"}, Options::Action::kTool, Options::Tool::kCheck, ""},
      {{"--check", "--backup", "b"}, Options::Action::kError, Options::Tool::kCheck, ""},
      {{"--yes"}, Options::Action::kError, Options::Tool::kNone, ""},
  };
  for (const Case& c : cases) {
    const Options o = Parse(c.args);
    SCOPED_TRACE(c.args.front());
    EXPECT_EQ(o.action, c.action);
    EXPECT_EQ(o.tool, c.tool);
    EXPECT_EQ(o.file, c.file);
  }
  EXPECT_EQ(Parse({"--export-csv", "exams", "e.csv"}).encoding, "cp932");
  for (const char* text : {"--backup FILE", "--restore FILE --yes", "--export-csv exams|patients",
                           "--encoding cp932|utf-8", "--check"}) {
    EXPECT_NE(app::HelpText().find(text), std::string::npos) << text;
  }
}

}  // namespace
