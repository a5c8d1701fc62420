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

}  // namespace
