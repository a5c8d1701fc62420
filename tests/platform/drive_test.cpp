#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/drive.h"
#include "platform/drive_lock.h"
#include "platform/file_system.h"
#include "tests/support/temp_drive.h"

namespace {

namespace fs = std::filesystem;
using platform::DataDrive;
using platform::PosixFileSystem;
using testing_support::TempDrive;

TEST(DataDrive, TranslatesSystemPathsUnderTheRoot) {
  DataDrive drive("/srv/c");
  EXPECT_EQ(drive.ToHost("C:\\VLN2\\VLN2.ekg"), fs::path("/srv/c/VLN2/VLN2.ekg"));
  EXPECT_EQ(drive.ToHost("c:/MASTA/KANJYA.MASTA"), fs::path("/srv/c/MASTA/KANJYA.MASTA"));
  EXPECT_EQ(drive.ToHost("C:\\VLN2\\GAZOU\\"), fs::path("/srv/c/VLN2/GAZOU"));
  EXPECT_EQ(drive.ToHost("/home/user/pic.bmp"), fs::path("/home/user/pic.bmp"));
  EXPECT_TRUE(DataDrive::IsDrivePath("C:\\VLN2"));
  EXPECT_FALSE(DataDrive::IsDrivePath("/tmp"));
}

TEST(DataDrive, FindsExistingNamesIgnoringCase) {
  TempDrive t;
  fs::create_directories(t.Root() / "vln2" / "Gazou");
  std::ofstream(t.Root() / "vln2" / "Gazou" / "Abc.JPG") << "x";
  PosixFileSystem files(t.Drive());
  EXPECT_EQ(files.HostPath("C:\\VLN2\\GAZOU\\abc.jpg"), t.Root() / "vln2" / "Gazou" / "Abc.JPG");
  EXPECT_EQ(files.Dir("C:\\VLN2\\GAZOU\\ABC.jpg"), "Abc.JPG");
  EXPECT_EQ(files.Dir("C:\\VLN2\\GAZOU\\missing.jpg"), "");
  EXPECT_TRUE(files.Exists("c:\\Vln2\\gazou\\abc.jpg"));
  EXPECT_TRUE(files.IsDirectory("C:\\VLN2\\GAZOU\\"));
  // A new name keeps the case it was written with, under the stored parents.
  EXPECT_EQ(files.HostPath("C:\\VLN2\\GAZOU\\New.jpg"), t.Root() / "vln2" / "Gazou" / "New.jpg");
}

TEST(DataDrive, RootComesFromOptionThenEnvironmentThenXdg) {
  struct Case {
    std::vector<const char*> args;
    const char* env;  // VELUNOR_DRIVE_C, nullptr for unset
    fs::path root;
  };
  const Case cases[] = {
      {{"--drive-c", "/opt/drive"}, "/env/drive", "/opt/drive"},
      {{"--drive-c=/opt/eq"}, "/env/drive", "/opt/eq"},
      {{"--demo"}, "/env/drive", "/env/drive"},
      {{"--drive-c", "/opt/drive"}, nullptr, "/opt/drive"},
      {{"--drive-c", "/first", "--drive-c=/last"}, nullptr, "/last"},
      {{}, "", "/xdg/velunor2/C"},
      {{"--drive-c"}, nullptr, "/xdg/velunor2/C"},
  };
  setenv("XDG_DATA_HOME", "/xdg", 1);
  for (const Case& c : cases) {
    std::vector<const char*> argv{"Velunor2.0"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    if (c.env != nullptr) {
      setenv("VELUNOR_DRIVE_C", c.env, 1);
    } else {
      unsetenv("VELUNOR_DRIVE_C");
    }
    SCOPED_TRACE(c.root.string());
    EXPECT_EQ(DataDrive::ResolveRoot(static_cast<int>(argv.size()), argv.data()), c.root);
  }
  unsetenv("VELUNOR_DRIVE_C");
  unsetenv("XDG_DATA_HOME");
}

TEST(FileFacts, LengthTimeAndWindowsAttributes) {
  TempDrive t;
  PosixFileSystem files(t.Drive());
  t.WriteBytes("C:\\VLN2\\GAZOU\\a.jpg", std::string(1234, 'x'));
  t.WriteBytes("C:\\VLN2\\GAZOU\\.hidden", "h");
  platform::FileFacts facts;
  ASSERT_TRUE(files.Facts("C:\\VLN2\\GAZOU\\a.jpg", facts).ok());
  EXPECT_EQ(facts.length, 1234u);
  EXPECT_EQ(facts.attributes, 32);
  EXPECT_GT(facts.modified, 0);
  ::chmod(t.Host("C:\\VLN2\\GAZOU\\a.jpg").c_str(), 0444);
  ASSERT_TRUE(files.Facts("C:\\VLN2\\GAZOU\\a.jpg", facts).ok());
  EXPECT_EQ(facts.attributes, 33);
  ASSERT_TRUE(files.Facts("C:\\VLN2\\GAZOU\\.hidden", facts).ok());
  EXPECT_EQ(facts.attributes, 34);
  ASSERT_TRUE(files.Facts("C:\\VLN2\\GAZOU", facts).ok());
  EXPECT_EQ(facts.attributes, 16);
  EXPECT_EQ(files.Facts("C:\\VLN2\\none.jpg", facts).error, platform::kFileNotFound);
}

TEST(FileOperations, CopyRenameDeleteReportWindowsNumbers) {
  TempDrive t;
  PosixFileSystem files(t.Drive());
  t.WriteBytes("C:\\VLN2\\a.txt", "alpha");
  ASSERT_TRUE(files.Copy("C:\\VLN2\\a.txt", "C:\\VLN2\\b.txt").ok());
  EXPECT_EQ(t.ReadBytes("C:\\VLN2\\b.txt"), "alpha");
  t.WriteBytes("C:\\VLN2\\c.txt", "gamma");
  ASSERT_TRUE(files.Rename("C:\\VLN2\\c.txt", "C:\\VLN2\\b.txt").ok());
  EXPECT_EQ(t.ReadBytes("C:\\VLN2\\b.txt"), "gamma");
  EXPECT_FALSE(files.Exists("C:\\VLN2\\c.txt"));
  ASSERT_TRUE(files.Delete("C:\\VLN2\\B.TXT").ok());
  EXPECT_FALSE(files.Exists("C:\\VLN2\\b.txt"));
  EXPECT_EQ(files.Delete("C:\\VLN2\\b.txt").error, platform::kFileNotFound);
  EXPECT_EQ(files.Copy("C:\\VLN2\\none", "C:\\VLN2\\x").error, platform::kFileNotFound);
  ASSERT_TRUE(files.CreateDirectory("C:\\VLN2\\KARI").ok());
  EXPECT_TRUE(files.IsDirectory("C:\\VLN2\\KARI"));
  std::vector<std::string> names;
  ASSERT_TRUE(files.ListFiles("C:\\VLN2", names).ok());
  EXPECT_EQ(names, std::vector<std::string>{"a.txt"});
}

TEST(DriveLock, ALockOfAProgramThatDiedIsReleased) {
  TempDrive t;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    platform::DriveLock held;
    if (held.Acquire(t.Root()) != platform::LockOutcome::kHeld || !held.LockExclusive().ok()) {
      ::_exit(1);
    }
    (void)::write(ready[1], "x", 1);
    ::pause();  // killed while it holds the lock
    ::_exit(0);
  }
  char x = 0;
  ASSERT_EQ(::read(ready[0], &x, 1), 1);
  platform::DriveLock other;
  ASSERT_EQ(other.Acquire(t.Root()), platform::LockOutcome::kHeld);
  EXPECT_FALSE(other.TryLockShared());
  EXPECT_TRUE(other.OthersPresent());
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_TRUE(other.LockExclusive().ok());
  EXPECT_FALSE(other.OthersPresent());
  ::close(ready[0]);
  ::close(ready[1]);
}

}  // namespace

namespace {

TEST(DataDrive, WorkingCopiesGoToTheWorkstationsFolderAndNothingElseDoes) {
  DataDrive drive("/srv/C");
  drive.SetWorkingCopyFolder("/srv/C/.velunor2-workstations/pc1-x");
  struct Case {
    const char* written;
    const char* host;
  } cases[] = {
      {"C:\\VLN2\\TEMP.DATA", "/srv/C/.velunor2-workstations/pc1-x/TEMP.DATA"},
      {"c:/vln2/temp.data.part", "/srv/C/.velunor2-workstations/pc1-x/TEMP.DATA.PART"},
      {"C:\\MASTA\\KARIKAN.DATA", "/srv/C/.velunor2-workstations/pc1-x/KARIKAN.DATA"},
      {"C:\\MASTA\\KARIKAN.DATA.PART", "/srv/C/.velunor2-workstations/pc1-x/KARIKAN.DATA.PART"},
      {"C:\\VLN2\\VLN2.ekg", "/srv/C/VLN2/VLN2.ekg"},
      {"C:\\MASTA\\TEMP.DATA", "/srv/C/MASTA/TEMP.DATA"},
      {"C:\\VLN2\\GAZOU\\TEMP.DATA", "/srv/C/VLN2/GAZOU/TEMP.DATA"},
  };
  for (const Case& c : cases) EXPECT_EQ(drive.ToHost(c.written), fs::path(c.host)) << c.written;
}

TEST(DataDrive, EachDesktopSessionIsAWorkstationOfItsOwn) {
  const char* before = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = before != nullptr ? before : "";
  ::setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
  const fs::path one = DataDrive::WorkstationFolder("/srv/C");
  ::setenv("XDG_RUNTIME_DIR", "/tmp/session2", 1);
  const fs::path two = DataDrive::WorkstationFolder("/srv/C");
  EXPECT_EQ(DataDrive::WorkstationFolder("/srv/C"), two);
  if (before != nullptr) {
    ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_RUNTIME_DIR");
  }
  EXPECT_NE(one, two);
  EXPECT_EQ(one.parent_path(), fs::path("/srv/C/.velunor2-workstations"));
  EXPECT_EQ(two.parent_path(), one.parent_path());
}

}  // namespace
