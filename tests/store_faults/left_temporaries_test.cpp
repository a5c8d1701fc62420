// Start-up removes the temporary files a run that died left behind: only the
// program's own names, never a user's file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "store/store.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;
using testing_support::TempDrive;

std::set<std::string> Names(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// A process id that no process has any more.
long DeadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

TEST(LeftTemporaries, OnlyTheProgramsOwnNamesAreRemoved) {
  TempDrive t;
  const std::string gazou = "C:\\VLN2\\GAZOU\\";
  const std::string live = std::to_string(::getpid());
  const std::string dead = std::to_string(DeadPid());
  const std::set<std::string> removed = {
      "Temp.bmp", ".A001.jpg." + dead + ".0.tmp", ".画像2.jpg." + dead + ".17.tmp",
      ".B.JPG." + dead + ".3.tmp",  // written over an existing "B.JPG"
  };
  const std::set<std::string> kept = {
      "A001.jpg",
      "Temp2.bmp",
      "x.tmp",
      "temp.bmp.bak",
      ".A001.jpg." + live + ".0.tmp",  // a conversion of a running program
      ".A001.jpg." + dead + ".tmp",    // no counter
      ".A001.jpg.12x.0.tmp",
      ".A001.png." + dead + ".0.tmp",
      "A001.jpg." + dead + ".0.tmp",  // not hidden
      ".jpg." + dead + ".0.tmp",      // no picture name
  };
  for (const std::string& name : removed) t.WriteBytes(gazou + name, "x");
  for (const std::string& name : kept) t.WriteBytes(gazou + name, "x");
  t.WriteBytes("C:\\VLN2\\.SYOZOKU.DATA.new", "half a list");
  t.WriteBytes("C:\\VLN2\\.FUSEI.DATA.new", "half a list");
  t.WriteBytes("C:\\VLN2\\SYOZOKU.DATA.new", "a user's copy");
  // Copies of examinations and patient IDs of a list, a search or a sort.
  for (const char* copy : {"C:\\VLN2\\TEMP.DATA", "C:\\VLN2\\TEMP.DATA.PART",
                           "C:\\VLN2\\TESTOUT.TXT", "C:\\MASTA\\KARIKAN.DATA.PART"}) {
    t.WriteBytes(copy, "000123 examinations of patients");
  }
  t.WriteBytes("C:\\VLN2\\TEMP.DATA.bak", "a user's copy");
  // Beside the program's own name, under another spelling.
  t.WriteBytes("C:\\VLN2\\.syozoku.data.new.x", "");
  std::filesystem::rename(t.Root() / "VLN2" / ".syozoku.data.new.x",
                          t.Root() / "VLN2" / ".syozoku.data.new");

  platform::PosixFileSystem files(t.Drive());
  Store s(files);
  ASSERT_TRUE(s.StartUp().ok());
  EXPECT_EQ(Names(t.Host("C:\\VLN2\\GAZOU")), kept);
  const std::set<std::string> dataDir = Names(t.Host("C:\\VLN2"));
  EXPECT_FALSE(dataDir.contains(".SYOZOKU.DATA.new"));
  EXPECT_FALSE(dataDir.contains(".FUSEI.DATA.new"));
  EXPECT_TRUE(dataDir.contains("SYOZOKU.DATA.new"));
  EXPECT_TRUE(dataDir.contains(".syozoku.data.new"));
  for (const char* copy : {"TEMP.DATA", "TEMP.DATA.PART", "TESTOUT.TXT"}) {
    EXPECT_FALSE(dataDir.contains(copy)) << copy;
  }
  EXPECT_TRUE(dataDir.contains("TEMP.DATA.bak"));
  EXPECT_FALSE(Names(t.Host("C:\\MASTA")).contains("KARIKAN.DATA.PART"));
}

TEST(LeftTemporaries, RunningProcessesAreAskedByTheirId) {
  TempDrive t;
  t.WriteBytes("C:\\VLN2\\GAZOU\\.A.jpg.4242.0.tmp", "x");
  t.WriteBytes("C:\\VLN2\\GAZOU\\.A.jpg.4343.0.tmp", "x");
  platform::PosixFileSystem files(t.Drive());
  Store s(files);
  std::set<long> asked;
  s.SetProcessRunning([&asked](long pid) {
    asked.insert(pid);
    return pid == 4242;
  });
  ASSERT_TRUE(s.StartUp().ok());
  EXPECT_EQ(asked, (std::set<long>{4242, 4343}));
  EXPECT_EQ(Names(t.Host("C:\\VLN2\\GAZOU")), (std::set<std::string>{".A.jpg.4242.0.tmp"}));
}

}  // namespace
