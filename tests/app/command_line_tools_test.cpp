// The drive tools of the command line, run as the program itself, without a
// display.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/drive_lock.h"
#include "tests/support/records.h"
#include "tests/support/temp_drive.h"

namespace {

namespace fsys = std::filesystem;

void Put(const fsys::path& file, const std::string& bytes) {
  fsys::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

std::map<std::string, std::string> Tree(const fsys::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& e : fsys::recursive_directory_iterator(root)) {
    const std::string name = fsys::relative(e.path(), root).string();
    if (name == ".velunor2.lock") continue;
    std::ifstream in(e.path(), std::ios::binary);
    tree[name] =
        e.is_directory() ? "<folder>" : std::string(std::istreambuf_iterator<char>(in), {});
  }
  return tree;
}

// The program's exit status; its output goes to a file of the test's.
int RunProgram(const fsys::path& folder, const std::string& arguments) {
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY HOME=" + folder.string() + " " +
                              VELUNOR_PROGRAM + " " + arguments + " >>" +
                              (folder / "out.txt").string() + " 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CommandLineTools, BackupRestoreExportAndCheckWithoutADisplay) {
  testing_support::TempDrive t;
  const fsys::path d = t.Root() / "D";
  const fsys::path e = t.Root() / "E";
  const fsys::path archive = t.Root() / "b.tar.gz";
  Put(d / "VLN2/VLN2.ekg", testing_support::ExamFileBytes(4));
  for (int n = 1; n <= 4; ++n) {
    Put(d / ("VLN2/GAZOU/IMG" + std::to_string(n) + ".jpg"), std::string(3000 * n, '\xff'));
  }
  Put(d / "MASTA/KANJYA.MASTA", "");
  fsys::create_directories(d / "VLN2/KARI");

  struct Step {
    const char* name;
    std::string arguments;
    int status;
  };
  const Step steps[] = {
      {"backup", "--drive-c " + d.string() + " --backup " + archive.string(), 0},
      {"restore without --yes", "--drive-c " + e.string() + " --restore " + archive.string(), 2},
      {"restore into an empty drive",
       "--drive-c " + e.string() + " --restore " + archive.string() + " --yes", 0},
      {"export",
       "--drive-c " + e.string() + " --export-csv exams " + (t.Root() / "e.csv").string() +
           " --encoding utf-8",
       0},
      {"unknown export",
       "--drive-c " + e.string() + " --export-csv nothing " + (t.Root() / "x.csv").string(), 2},
      {"check of a sound drive", "--drive-c " + e.string() + " --check", 0},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(RunProgram(t.Root(), step.arguments), step.status) << step.name;
  }
  EXPECT_EQ(Tree(e), Tree(d));
  std::ifstream csv(t.Root() / "e.csv", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(csv)), {});
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);

  // Damage found by --check; a restore refused while another program holds the drive.
  Put(e / "VLN2/VLN2.ekg", testing_support::ExamFileBytes(4) + "torn");
  EXPECT_EQ(RunProgram(t.Root(), "--drive-c " + e.string() + " --check"), 1);
  platform::DriveLock lock;
  ASSERT_EQ(lock.Acquire(e), platform::LockOutcome::kHeld);
  const auto before = Tree(e);
  EXPECT_EQ(
      RunProgram(t.Root(), "--drive-c " + e.string() + " --restore " + archive.string() + " --yes"),
      3);
  EXPECT_EQ(Tree(e), before);
}

}  // namespace
