// Saving a lookup list replaces the file in one step: whatever happens on the
// way (a failed write, a full disk, the program killed at any point), the file
// holds either the old list or the new one.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "store/store.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;
using testing_support::FaultyFileSystem;
using testing_support::TempDrive;

std::vector<std::string> Entries(const std::string& prefix, int count) {
  std::vector<std::string> entries;
  for (int i = 1; i <= count; ++i) entries.push_back(prefix + std::to_string(i));
  return entries;
}

std::string FileOf(const std::vector<std::string>& entries) {
  std::string bytes;
  for (const std::string& e : entries) {
    ListEntryRecord r;
    r.Set(ListEntryField::EntryText, e);
    bytes += r.Bytes();
  }
  return bytes;
}

// Kills the process (in a child) at its n-th step that changes the disk.
class KillingFileSystem : public platform::PosixFileSystem {
 public:
  using PosixFileSystem::PosixFileSystem;
  int killAt = 0;  // 0: never
  int steps = 0;

  void Step() {
    if (killAt > 0 && ++steps == killAt) ::_exit(0);
  }

  platform::Status OpenRandom(std::string_view path,
                              std::unique_ptr<platform::RandomFile>& out) override {
    Step();
    std::unique_ptr<platform::RandomFile> inner;
    if (platform::Status s = PosixFileSystem::OpenRandom(path, inner); !s.ok()) return s;
    out = std::make_unique<File>(std::move(inner), *this);
    return platform::Status::Ok();
  }
  platform::Status Delete(std::string_view path) override {
    Step();
    return PosixFileSystem::Delete(path);
  }
  platform::Status Rename(std::string_view from, std::string_view to) override {
    Step();
    platform::Status s = PosixFileSystem::Rename(from, to);
    Step();
    return s;
  }
  platform::Status SyncDirectory(std::string_view dir) override {
    Step();
    return PosixFileSystem::SyncDirectory(dir);
  }

 private:
  class File : public platform::RandomFile {
   public:
    File(std::unique_ptr<platform::RandomFile> inner, KillingFileSystem& owner)
        : inner_(std::move(inner)), owner_(owner) {}
    platform::Status ReadAt(std::uint64_t offset, std::span<char> out, std::size_t& got) override {
      return inner_->ReadAt(offset, out, got);
    }
    platform::Status WriteAt(std::uint64_t offset, std::span<const char> bytes) override {
      // Half a write, then death: the torn write a kill can leave.
      owner_.Step();
      const std::size_t half = bytes.size() / 2;
      if (owner_.killAt > 0 && owner_.steps + 1 == owner_.killAt && half > 0) {
        (void)inner_->WriteAt(offset, bytes.first(half));
      }
      owner_.Step();
      return inner_->WriteAt(offset, bytes);
    }
    platform::Status Length(std::uint64_t& length) override { return inner_->Length(length); }
    platform::Status Truncate(std::uint64_t length) override { return inner_->Truncate(length); }
    platform::Status Sync() override {
      owner_.Step();
      return inner_->Sync();
    }

   private:
    std::unique_ptr<platform::RandomFile> inner_;
    KillingFileSystem& owner_;
  };
};

TEST(ReplaceListFile, SavesTheWholeListAndReopensIt) {
  TempDrive t;
  platform::PosixFileSystem files(t.Drive());
  Store s(files);
  ASSERT_TRUE(s.StartUp().ok());
  const std::vector<std::string> entries = Entries("所見", 45);
  ASSERT_TRUE(s.ReplaceListFile(LookupList::Finding, entries).ok());
  EXPECT_EQ(t.ReadBytes(kFindingFile), FileOf(entries));
  std::vector<std::string> read;
  ASSERT_TRUE(s.ReadListEntries(LookupList::Finding, read).ok());
  EXPECT_EQ(read, entries);
  // The count of the department list follows its file.
  ASSERT_TRUE(s.ReplaceListFile(LookupList::Department, Entries("科", 45)).ok());
  EXPECT_EQ(s.ListFileOf(store::LookupList::Department)->Count(), 45);
  EXPECT_FALSE(std::filesystem::exists(t.Host(Store::ListStagingPath(LookupList::Finding))));
}

// A write that fails anywhere in the save (a full disk), or a rename that
// fails, leaves the old list byte for byte and no staging file.
TEST(ReplaceListFile, FailedWriteOrRenameKeepsTheOldList) {
  TempDrive t;
  FaultyFileSystem files(t.Drive());
  Store s(files);
  ASSERT_TRUE(s.StartUp().ok());
  const std::vector<std::string> oldList = Entries("旧", 45);
  ASSERT_TRUE(s.ReplaceListFile(LookupList::Arrhythmia, oldList).ok());
  const std::string oldBytes = t.ReadBytes(kArrhythmiaFile);
  ASSERT_EQ(oldBytes, FileOf(oldList));

  const int writes = [&] {
    const int before = files.WritesSeen();
    EXPECT_TRUE(s.ReplaceListFile(LookupList::Arrhythmia, oldList).ok());
    return files.WritesSeen() - before;
  }();
  ASSERT_GE(writes, 1);
  for (int n = 1; n <= writes; ++n) {
    files.FailNthWrite(n, platform::kDiskFull);
    EXPECT_EQ(s.ReplaceListFile(LookupList::Arrhythmia, Entries("新", 45)).error,
              platform::kDiskFull)
        << "write " << n;
    files.Heal();
    EXPECT_EQ(t.ReadBytes(kArrhythmiaFile), oldBytes) << "write " << n;
    EXPECT_FALSE(files.Exists(Store::ListStagingPath(LookupList::Arrhythmia)));
    ASSERT_NE(s.ListFileOf(store::LookupList::Arrhythmia), nullptr);
  }
  files.FailRenames(platform::kPermissionDenied);
  EXPECT_EQ(s.ReplaceListFile(LookupList::Arrhythmia, Entries("新", 45)).error,
            platform::kPermissionDenied);
  files.Heal();
  EXPECT_EQ(t.ReadBytes(kArrhythmiaFile), oldBytes);
  std::vector<std::string> read;
  ASSERT_TRUE(s.ReadListEntries(LookupList::Arrhythmia, read).ok());
  EXPECT_EQ(read.front(), "旧1");
}

// The program killed at every step of a save that changes the disk: the
// file is the old list up to the rename and the new one from then on; the
// next start removes the staging file.
TEST(ReplaceListFile, KilledAtAnyStepLeavesTheOldOrTheNewList) {
  const std::vector<std::string> oldList = Entries("旧", 30);
  const std::vector<std::string> newList = Entries("新しい項目", 30);
  int olds = 0;
  int news = 0;
  for (int killAt = 1;; ++killAt) {
    TempDrive t;
    {
      platform::PosixFileSystem plain(t.Drive());
      Store s(plain);
      ASSERT_TRUE(s.StartUp().ok());
      ASSERT_TRUE(s.ReplaceListFile(LookupList::LeadSite, oldList).ok());
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      KillingFileSystem files(t.Drive());
      Store s(files);
      if (!s.StartUp().ok()) ::_exit(2);
      files.killAt = killAt;
      files.steps = 0;
      ::_exit(s.ReplaceListFile(LookupList::LeadSite, newList).ok() ? 3 : 4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    const int code = WEXITSTATUS(status);
    ASSERT_NE(code, 2);
    ASSERT_NE(code, 4) << "kill point " << killAt;
    const std::string bytes = t.ReadBytes(kLeadSiteFile);
    if (bytes == FileOf(oldList)) {
      ++olds;
    } else {
      EXPECT_EQ(bytes, FileOf(newList)) << "kill point " << killAt;
      ++news;
    }

    platform::PosixFileSystem files(t.Drive());
    Store next(files);
    ASSERT_TRUE(next.StartUp().ok());
    EXPECT_FALSE(files.Exists(Store::ListStagingPath(LookupList::LeadSite)))
        << "kill point " << killAt;
    if (code == 3) break;  // the save ran to its end: no step was left to kill
    ASSERT_LT(killAt, 1000);
  }
  EXPECT_GT(olds, 10);
  EXPECT_GE(news, 1);
}

// A list that may only be read is not replaced behind its back.
TEST(ReplaceListFile, ReadOnlyListIsRefused) {
  TempDrive t;
  platform::PosixFileSystem files(t.Drive());
  Store s(files);
  s.SetReadOnlySession(true);
  t.WriteBytes(kFindingFile, FileOf(Entries("旧", 45)));
  t.WriteBytes(kDataFile, "");
  std::filesystem::create_directories(t.Host("C:\\MASTA"));
  std::filesystem::create_directories(t.Host("C:\\VLN2\\GAZOU"));
  t.WriteBytes(kMasterFile, "");
  ASSERT_TRUE(s.StartUp().ok());
  EXPECT_EQ(s.ReplaceListFile(LookupList::Finding, Entries("新", 45)).error,
            platform::kPermissionDenied);
  EXPECT_EQ(t.ReadBytes(kFindingFile), FileOf(Entries("旧", 45)));
}

}  // namespace
