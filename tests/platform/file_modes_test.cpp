// What the program creates is its user's alone, or its group's on a drive
// shared by a group; what exists keeps its mode.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "platform/file_system.h"
#include "tests/support/temp_drive.h"

namespace {

unsigned ModeOf(const std::filesystem::path& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

TEST(FileModes, NewFoldersAndFilesAreTheOwnersOrTheSharedGroups) {
  const struct {
    const char* what;
    unsigned driveMode, folder, file;
  } cases[] = {
      {"a private drive", 0755, 0700, 0600},
      {"a drive shared by a group", 02770, 02770, 0660},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing_support::TempDrive t;
    ASSERT_EQ(::chmod(t.Root().c_str(), c.driveMode), 0);
    t.WriteBytes("C:\\old.txt", "kept");
    ASSERT_EQ(::chmod(t.Host("C:\\old.txt").c_str(), 0644), 0);
    platform::PosixFileSystem fs(t.Drive());

    ASSERT_TRUE(fs.CreateDirectory("C:\\VLN2\\GAZOU").ok());
    EXPECT_EQ(ModeOf(t.Host("C:\\VLN2")), c.folder);
    EXPECT_EQ(ModeOf(t.Host("C:\\VLN2\\GAZOU")), c.folder);
    std::unique_ptr<platform::RandomFile> file;
    ASSERT_TRUE(fs.OpenRandom("C:\\VLN2\\VLN2.ekg", file).ok());
    EXPECT_EQ(ModeOf(t.Host("C:\\VLN2\\VLN2.ekg")), c.file);
    ASSERT_TRUE(fs.Copy("C:\\VLN2\\VLN2.ekg", "C:\\VLN2\\TEMP.DATA").ok());
    EXPECT_EQ(ModeOf(t.Host("C:\\VLN2\\TEMP.DATA")), c.file);
    ASSERT_TRUE(fs.OpenRandom("C:\\old.txt", file).ok());
    EXPECT_EQ(ModeOf(t.Host("C:\\old.txt")), 0644u);
  }
}

}  // namespace
