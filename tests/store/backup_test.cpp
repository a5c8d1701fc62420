#include "store/backup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "store/sha256.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/records.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;
namespace fsys = std::filesystem;
using testing_support::ExamFileBytes;
using testing_support::FaultyFileSystem;
using testing_support::TempDrive;

using Tree = std::map<std::string, std::string>;  // relative path -> bytes, "<folder>" for folders

void Put(const fsys::path& file, const std::string& bytes) {
  fsys::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string Get(const fsys::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Everything under `root` but what a backup leaves out.
Tree Snapshot(const fsys::path& root) {
  Tree tree;
  if (!fsys::exists(root)) return tree;
  for (const auto& e : fsys::recursive_directory_iterator(root)) {
    const std::string relative = fsys::relative(e.path(), root).string();
    if (IsTransientFile(relative)) continue;
    tree[relative] = e.is_directory() ? "<folder>" : Sha256Hex(Get(e.path()));
  }
  return tree;
}

// A drive with examinations, a picture with every byte value, the patient
// master, a list, an empty folder, a history file, and what a backup leaves
// out (the lock, a working copy).
void MakeDrive(const fsys::path& root, const std::string& flavour) {
  Put(root / "VLN2/VLN2.ekg", ExamFileBytes(3));
  std::string picture;
  for (int i = 0; i < 4096; ++i) picture += static_cast<char>((i * 7 + flavour.size()) & 255);
  Put(root / "VLN2/GAZOU/IMG1.jpg", picture);
  Put(root / "VLN2/SYOZOKU.DATA", std::string(40, 'x'));
  Put(root / "MASTA/KANJYA.MASTA", std::string(127 * 2, 'p'));
  Put(root / ("VLN2/HISTORY/changes-" + flavour), "history " + flavour);
  fsys::create_directories(root / "VLN2/KARI");
  Put(root / ".velunor2.lock", "");
  Put(root / "VLN2/TEMP.DATA", "working copy");
}

class BackupTest : public ::testing::Test {
 protected:
  TempDrive t;
  fsys::path drive = t.Root() / "C";
  fsys::path usb = t.Root() / "usb";
  fsys::path archive = usb / "b.tar.gz";
  FaultyFileSystem files{platform::DataDrive(drive)};
  platform::NoProgress progress;

  void SetUp() override {
    MakeDrive(drive, "old");
    fsys::create_directories(usb);
  }
  // A backup of a drive made with `flavour`, taken aside from `drive`.
  void BackUpOtherDrive(const std::string& flavour) {
    const fsys::path other = t.Root() / "other";
    MakeDrive(other, flavour);
    ASSERT_TRUE(WriteBackup(files, other, archive, 0, progress).ok());
    fsys::remove_all(other);
  }
  bool NothingBeside() const {
    return !fsys::exists(RestoreStagingFolder(drive)) && !fsys::exists(PreviousDriveFolder(drive));
  }
};

TEST_F(BackupTest, RestoreGivesTheBackedUpDriveByteForByte) {
  struct Case {
    const char* name;
    std::function<void(const fsys::path&)> prepare;  // the drive restored into
  };
  const Case cases[] = {
      {"over a drive with other data", [](const fsys::path&) {}},
      {"into an empty folder",
       [](const fsys::path& d) {
         fsys::remove_all(d);
         fsys::create_directories(d);
       }},
      {"where no drive is yet", [](const fsys::path& d) { fsys::remove_all(d); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fsys::path other = t.Root() / "other";
    MakeDrive(other, "new");
    const Tree expected = Snapshot(other);
    const BackupResult made = WriteBackup(files, other, archive, 0, progress);
    ASSERT_TRUE(made.ok()) << made.file << " " << made.status.error << " " << int(made.problem);
    EXPECT_EQ(made.manifest.examinations, 3);
    EXPECT_EQ(made.manifest.patients, 2);
    EXPECT_EQ(made.manifest.pictures, 1);
    fsys::remove_all(other);
    c.prepare(drive);
    const BackupResult restored = RestoreBackup(files, drive, archive, progress);
    ASSERT_TRUE(restored.ok()) << restored.file;
    EXPECT_EQ(Snapshot(drive), expected);
    EXPECT_TRUE(NothingBeside());
    EXPECT_EQ(Get(drive / "VLN2/HISTORY/changes-new"), "history new");
  }
}

TEST_F(BackupTest, DamagedArchiveIsRefusedAndChangesNothing) {
  BackUpOtherDrive("new");
  const std::string good = Get(archive);
  struct Case {
    const char* name;
    std::function<std::string(std::string)> damage;
  };
  const Case cases[] = {
      {"a byte flipped in the middle",
       [](std::string b) {
         b[b.size() / 2] ^= 0x20;
         return b;
       }},
      {"a byte flipped in the checksum",
       [](std::string b) {
         b[b.size() - 6] ^= 1;
         return b;
       }},
      {"a byte flipped in the length",
       [](std::string b) {
         b[b.size() - 3] ^= 1;
         return b;
       }},
      {"cut in half", [](std::string b) { return b.substr(0, b.size() / 2); }},
      {"its last bytes cut", [](std::string b) { return b.substr(0, b.size() - 8); }},
      {"not an archive at all", [](std::string) { return std::string("plain text\n"); }},
  };
  const Tree before = Snapshot(drive);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Put(archive, c.damage(good));
    EXPECT_FALSE(CheckBackup(files, archive, progress).ok());
    const BackupResult r = RestoreBackup(files, drive, archive, progress);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.file.empty());
    EXPECT_EQ(Snapshot(drive), before);
    EXPECT_TRUE(NothingBeside());
  }
}

// Remakes the archive with the system's tar from an unpacked copy whose
// manifest or files were changed; gzip and tar are then sound and only the
// manifest can tell.
TEST_F(BackupTest, ArchiveNotMatchingItsManifestNamesTheFile) {
  BackUpOtherDrive("new");
  const fsys::path unpacked = t.Root() / "unpacked";
  struct Case {
    const char* name;
    std::function<void(BackupManifest&)> change;
    const char* extraFile;  // added to the archive and not to the manifest
    const char* named;
  };
  const Case cases[] = {
      {"a digest differs",
       [](BackupManifest& m) {
         for (BackupEntry& e : m.entries) {
           if (e.path == "VLN2/VLN2.ekg") e.sha256 = std::string(64, '0');
         }
       },
       nullptr, "VLN2/VLN2.ekg"},
      {"a size differs",
       [](BackupManifest& m) {
         for (BackupEntry& e : m.entries) {
           if (e.path == "VLN2/GAZOU/IMG1.jpg") ++e.size;
         }
       },
       nullptr, "VLN2/GAZOU/IMG1.jpg"},
      {"a file the manifest lists is not there",
       [](BackupManifest& m) {
         m.entries.push_back({"VLN2/GONE.DATA", false, 1, std::string(64, 'a')});
       },
       nullptr, "VLN2/GONE.DATA"},
      {"a file the manifest does not list", [](BackupManifest&) {}, "VLN2/EXTRA.DATA",
       "VLN2/EXTRA.DATA"},
  };
  const Tree before = Snapshot(drive);
  const BackupManifest good = CheckBackup(files, archive, progress).manifest;
  const std::string goodArchive = Get(archive);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fsys::remove_all(unpacked);
    fsys::create_directories(unpacked);
    Put(archive, goodArchive);
    ASSERT_EQ(std::system(("tar xzf " + archive.string() + " -C " + unpacked.string()).c_str()), 0);
    BackupManifest m = good;
    c.change(m);
    Put(unpacked / kManifestName, m.Text());
    std::string list;
    for (const BackupEntry& e : good.entries) list += " --no-recursion '" + e.path + "'";
    if (c.extraFile) {
      Put(unpacked / c.extraFile, "extra");
      list += std::string(" ") + c.extraFile;
    }
    const std::string tar =
        "tar czf " + archive.string() + " -C " + unpacked.string() + list + " " + kManifestName;
    ASSERT_EQ(std::system(tar.c_str()), 0);
    const BackupResult r = RestoreBackup(files, drive, archive, progress);
    EXPECT_EQ(r.problem, BackupResult::Problem::kDamaged);
    EXPECT_EQ(r.file, c.named);
    EXPECT_EQ(Snapshot(drive), before);
  }
}

// Fails the n-th call of one kind; the loop runs until the operation gets
// through without reaching the failure.
struct Fault {
  const char* name;
  std::function<void(FaultyFileSystem&, int)> arm;
};
const Fault kFaults[] = {
    {"write", [](FaultyFileSystem& f, int n) { f.FailNthWrite(n, platform::kDiskFull); }},
    {"short write", [](FaultyFileSystem& f, int n) { f.FailNthWriteShort(n, 100); }},
    {"sync", [](FaultyFileSystem& f, int n) { f.FailNthSync(n); }},
    {"rename", [](FaultyFileSystem& f, int n) { f.FailNthRename(n); }},
    {"open", [](FaultyFileSystem& f, int n) { f.FailNthOpen(n); }},
};

TEST_F(BackupTest, FailedBackupLeavesNoArchiveAndTheDriveAsItWas) {
  const Tree before = Snapshot(drive);
  for (const Fault& fault : kFaults) {
    for (int n = 1;; ++n) {
      SCOPED_TRACE(std::string(fault.name) + " " + std::to_string(n));
      fsys::remove_all(usb);
      fsys::create_directories(usb);
      fault.arm(files, n);
      const BackupResult r = WriteBackup(files, drive, archive, 0, progress);
      files.Heal();
      EXPECT_EQ(Snapshot(drive), before);
      if (r.ok()) {
        EXPECT_TRUE(CheckBackup(files, archive, progress).ok());
        break;
      }
      EXPECT_EQ(r.problem, BackupResult::Problem::kFailed);
      EXPECT_TRUE(fsys::is_empty(usb)) << "left " << fsys::directory_iterator(usb)->path();
      ASSERT_LT(n, 200);
    }
  }
}

TEST_F(BackupTest, FailedRestoreLeavesTheOldDriveWhole) {
  BackUpOtherDrive("new");
  const Tree before = Snapshot(drive);
  for (const Fault& fault : kFaults) {
    MakeDrive(drive, "old");
    for (int n = 1;; ++n) {
      SCOPED_TRACE(std::string(fault.name) + " " + std::to_string(n));
      fault.arm(files, n);
      const BackupResult r = RestoreBackup(files, drive, archive, progress);
      files.Heal();
      if (r.ok()) {
        EXPECT_NE(Snapshot(drive), before);
        fsys::remove_all(drive);
        break;
      }
      EXPECT_EQ(Snapshot(drive), before);
      EXPECT_TRUE(NothingBeside());
      ASSERT_LT(n, 200);
    }
  }
}

TEST_F(BackupTest, RestoreStoppedBetweenItsRenamesIsTakenBack) {
  const Tree before = Snapshot(drive);
  struct Case {
    const char* name;
    bool moveAside;
    bool recovered;
  };
  const Case cases[] = {{"drive moved aside", true, true}, {"drive in place", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.moveAside) fsys::rename(drive, PreviousDriveFolder(drive));
    EXPECT_EQ(RecoverInterruptedRestore(files, drive), c.recovered);
    EXPECT_EQ(Snapshot(drive), before);
  }
}

TEST(BackupFiles, WhatABackupLeavesOut) {
  const std::pair<const char*, bool> cases[] = {
      {".velunor2.lock", true},         {"VLN2/TEMP.DATA", true},
      {"vln2/temp.data", true},         {"VLN2/TEMP.DATA.PART", true},
      {"VLN2/TESTOUT.TXT", true},       {"MASTA/KARIKAN.DATA", true},
      {"VLN2/SYOZOKU.DATA.part", true}, {"VLN2/VLN2.ekg", false},
      {"MASTA/KANJYA.MASTA", false},    {"VLN2/GAZOU/TEMP.DATA", false},
      {"VLN2/HISTORY/h.log", false},    {"VLN2/GAZOU/a.jpg", false},
  };
  for (const auto& [path, left] : cases) EXPECT_EQ(IsTransientFile(path), left) << path;
}

}  // namespace
