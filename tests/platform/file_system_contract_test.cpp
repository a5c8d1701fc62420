// The disk file system and the one in memory that store tests use answer the
// same way for what the store does with files.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "platform/file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/temp_drive.h"

namespace {

using platform::FileSystem;
using platform::Status;

struct Kind {
  const char* name;
  std::function<std::unique_ptr<FileSystem>(testing_support::TempDrive&)> make;
};

class FileSystemContract : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    fs = GetParam().make(drive);
    ASSERT_TRUE(fs->CreateDirectory("C:\\VLN2\\GAZOU").ok());
  }
  void Write(std::string_view path, std::string_view bytes) {
    std::unique_ptr<platform::RandomFile> file;
    ASSERT_TRUE(fs->OpenRandom(path, file).ok()) << path;
    ASSERT_TRUE(file->WriteAt(0, std::span<const char>(bytes.data(), bytes.size())).ok());
  }
  std::string Read(std::string_view path) {
    std::string bytes;
    EXPECT_TRUE(fs->ReadFile(path, bytes).ok()) << path;
    return bytes;
  }
  std::vector<std::string> Files(std::string_view dir) {
    std::vector<std::string> names;
    EXPECT_TRUE(fs->ListFiles(dir, names).ok());
    std::sort(names.begin(), names.end());
    return names;
  }

  testing_support::TempDrive drive;
  std::unique_ptr<FileSystem> fs;
};

TEST_P(FileSystemContract, FilesAreCreatedReadAndWritten) {
  std::unique_ptr<platform::RandomFile> file;
  ASSERT_TRUE(fs->OpenRandom("C:\\VLN2\\A.DATA", file).ok());
  std::uint64_t length = 99;
  ASSERT_TRUE(file->Length(length).ok());
  EXPECT_EQ(length, 0u);
  ASSERT_TRUE(file->WriteAt(3, std::span<const char>("xyz", 3)).ok());
  ASSERT_TRUE(file->Length(length).ok());
  EXPECT_EQ(length, 6u);
  char out[8] = {};
  std::size_t got = 0;
  ASSERT_TRUE(file->ReadAt(4, std::span<char>(out, 8), got).ok());
  EXPECT_EQ(std::string(out, got), "yz");
  ASSERT_TRUE(file->Sync().ok());
  EXPECT_EQ(Read("C:\\VLN2\\A.DATA"), std::string("\0\0\0xyz", 6));

  EXPECT_EQ(fs->OpenRandom("C:\\NOWHERE\\A.DATA", file).error, platform::kFileNotFound);
  EXPECT_FALSE(fs->Exists("C:\\NOWHERE\\A.DATA"));
  std::string bytes;
  EXPECT_EQ(fs->ReadFile("C:\\VLN2\\MISSING", bytes).error, platform::kFileNotFound);
  EXPECT_FALSE(fs->Exists("C:\\VLN2\\MISSING"));
  EXPECT_EQ(fs->OpenRandomReadOnly("C:\\VLN2\\MISSING", file).error, platform::kFileNotFound);
  ASSERT_TRUE(fs->OpenRandomReadOnly("C:\\VLN2\\A.DATA", file).ok());
  EXPECT_FALSE(file->WriteAt(0, std::span<const char>("q", 1)).ok());
}

TEST_P(FileSystemContract, OneStringReadsFileAfterFileWhole) {
  struct Case {
    const char* name;
    std::size_t length;
  };
  // Longer and shorter than what the string held before, and than a piece
  // of a read.
  const Case cases[] = {{"long", 200000},   {"short", 3},       {"empty", 0},
                        {"longer", 300001}, {"a piece", 65536}, {"short again", 5}};
  std::string bytes = "held before";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string content(c.length, '\0');
    for (std::size_t i = 0; i < c.length; ++i) content[i] = static_cast<char>('a' + i % 23);
    const std::string path = std::string("C:\\VLN2\\") + c.name;
    Write(path, content);
    ASSERT_TRUE(fs->ReadFile(path, bytes).ok());
    EXPECT_TRUE(bytes == content) << bytes.size() << " bytes read, " << c.length << " written";
  }
  // The same files read one after another from their folder, a missing one
  // among them.
  std::vector<std::string> names;
  for (const Case& c : cases) names.emplace_back(c.name);
  names.insert(names.begin() + 2, "missing");
  std::vector<std::size_t> seen;
  fs->ReadEachFile("C:\\VLN2\\", names, bytes, [&](std::size_t i, Status s) {
    seen.push_back(i);
    if (names[i] == "missing") {
      EXPECT_EQ(s.error, platform::kFileNotFound);
      return;
    }
    ASSERT_TRUE(s.ok()) << names[i];
    EXPECT_TRUE(bytes == Read("C:\\VLN2\\" + names[i])) << names[i];
  });
  EXPECT_EQ(seen.size(), names.size());
}

TEST_P(FileSystemContract, NamesAreFoundIgnoringCase) {
  Write("C:\\VLN2\\GAZOU\\Abc.JPG", "p");
  EXPECT_EQ(fs->Dir("C:\\VLN2\\GAZOU\\abc.jpg"), "Abc.JPG");
  EXPECT_EQ(fs->Dir("c:/vln2/gazou/ABC.jpg"), "Abc.JPG");
  EXPECT_EQ(fs->Dir("C:\\VLN2\\GAZOU\\abd.jpg"), "");
  EXPECT_EQ(fs->Dir("C:\\VLN2\\GAZOU"), "");  // a folder is no file
  EXPECT_TRUE(fs->Exists("C:\\vln2\\gazou\\abc.jpg"));
  EXPECT_TRUE(fs->IsDirectory("C:\\Vln2\\Gazou"));
  EXPECT_FALSE(fs->IsDirectory("C:\\VLN2\\GAZOU\\Abc.JPG"));
  EXPECT_EQ(Read("C:\\VLN2\\GAZOU\\ABC.JPG"), "p");
}

TEST_P(FileSystemContract, FoldersFactsAndListings) {
  EXPECT_EQ(fs->CreateDirectory("C:\\VLN2").error, platform::kPathFileAccessError);
  ASSERT_TRUE(fs->CreateDirectory("C:\\MASTA\\SUB").ok());
  EXPECT_TRUE(fs->IsDirectory("C:\\MASTA"));
  Write("C:\\VLN2\\B.DATA", "12345");
  Write("C:\\VLN2\\A.DATA", "1");
  platform::FileFacts facts;
  ASSERT_TRUE(fs->Facts("C:\\VLN2\\B.DATA", facts).ok());
  EXPECT_EQ(facts.length, 5u);
  EXPECT_EQ(facts.attributes, platform::kAttrArchive);
  ASSERT_TRUE(fs->Facts("C:\\VLN2\\GAZOU", facts).ok());
  EXPECT_EQ(facts.attributes, platform::kAttrDirectory);
  EXPECT_EQ(fs->Facts("C:\\VLN2\\C.DATA", facts).error, platform::kFileNotFound);
  EXPECT_EQ(Files("C:\\VLN2"), (std::vector<std::string>{"A.DATA", "B.DATA"}));
  std::vector<std::string> dirs;
  ASSERT_TRUE(fs->ListDirectories("C:\\VLN2", dirs).ok());
  EXPECT_EQ(dirs, std::vector<std::string>{"GAZOU"});
  EXPECT_EQ(fs->ListFiles("C:\\NOWHERE", dirs).error, platform::kFileNotFound);
  ASSERT_TRUE(fs->SyncDirectory("C:\\VLN2").ok());
}

TEST_P(FileSystemContract, DeleteCopyAndRename) {
  Write("C:\\VLN2\\VLN2.ekg", "old");
  Write("C:\\VLN2\\TEMP.DATA", "new");
  std::unique_ptr<platform::RandomFile> held;
  ASSERT_TRUE(fs->OpenRandom("C:\\VLN2\\VLN2.ekg", held).ok());

  // A rename replaces the target; a handle on the old file still reads it.
  ASSERT_TRUE(fs->Rename("C:\\VLN2\\TEMP.DATA", "C:\\VLN2\\vln2.EKG").ok());
  EXPECT_EQ(Files("C:\\VLN2"), std::vector<std::string>{"VLN2.ekg"});
  EXPECT_EQ(Read("C:\\VLN2\\VLN2.ekg"), "new");
  char out[3];
  std::size_t got = 0;
  ASSERT_TRUE(held->ReadAt(0, std::span<char>(out, 3), got).ok());
  EXPECT_EQ(std::string(out, got), "old");
  EXPECT_EQ(fs->Rename("C:\\VLN2\\TEMP.DATA", "C:\\VLN2\\X").error, platform::kFileNotFound);
  held.reset();

  // A large file renamed over (the disk frees it after the rename returns).
  for (const char fill : {'a', 'b'}) {
    const std::string large(3 << 20, fill);
    Write("C:\\VLN2\\TEMP.DATA", large);
    ASSERT_TRUE(fs->Rename("C:\\VLN2\\TEMP.DATA", "C:\\VLN2\\VLN2.ekg").ok());
    EXPECT_EQ(Files("C:\\VLN2"), std::vector<std::string>{"VLN2.ekg"});
    EXPECT_TRUE(Read("C:\\VLN2\\VLN2.ekg") == large) << fill;
  }
  Write("C:\\VLN2\\TEMP.DATA", "new");
  ASSERT_TRUE(fs->Rename("C:\\VLN2\\TEMP.DATA", "C:\\VLN2\\VLN2.ekg").ok());

  ASSERT_TRUE(fs->Copy("C:\\VLN2\\VLN2.ekg", "C:\\VLN2\\TEMP.DATA").ok());
  Write("C:\\VLN2\\TEMP.DATA", "N");
  EXPECT_EQ(Read("C:\\VLN2\\TEMP.DATA"), "New");
  EXPECT_EQ(Read("C:\\VLN2\\VLN2.ekg"), "new");
  EXPECT_EQ(fs->Copy("C:\\VLN2\\NONE", "C:\\VLN2\\X").error, platform::kFileNotFound);

  ASSERT_TRUE(fs->Delete("C:\\VLN2\\temp.data").ok());
  EXPECT_FALSE(fs->Exists("C:\\VLN2\\TEMP.DATA"));
  EXPECT_EQ(fs->Delete("C:\\VLN2\\TEMP.DATA").error, platform::kFileNotFound);
  EXPECT_FALSE(fs->Delete("C:\\VLN2\\GAZOU").ok());
}

INSTANTIATE_TEST_SUITE_P(
    Both, FileSystemContract,
    ::testing::Values(Kind{"Disk",
                           [](testing_support::TempDrive& d) -> std::unique_ptr<FileSystem> {
                             return std::make_unique<platform::PosixFileSystem>(d.Drive());
                           }},
                      Kind{"Memory",
                           [](testing_support::TempDrive&) -> std::unique_ptr<FileSystem> {
                             return std::make_unique<testing_support::MemoryFileSystem>();
                           }},
                      Kind{"FaultyOverDisk",
                           [](testing_support::TempDrive& d) -> std::unique_ptr<FileSystem> {
                             return std::make_unique<testing_support::FaultyFileSystem>(d.Drive());
                           }}),
    [](const ::testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

}  // namespace
