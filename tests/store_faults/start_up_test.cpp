// Start-up on files and folders that cannot be used: every other file is
// opened, the user is told which one and why, and the store says whether the
// data file could be read at all, so that no command calls it empty.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "store/store.h"
#include "store/text_format.h"
#include "tests/store_faults/access_file_system.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;
using store_faults::AccessFileSystem;
using testing_support::TempDrive;

std::string Exams(int count) {
  std::string bytes;
  for (int n = 1; n <= count; ++n) {
    ExamRecord r;
    r.Set(ExamField::RecordNo, FormatNumber(n, "000000"));
    r.Set(ExamField::Name, "患者" + std::to_string(n));
    bytes += r.Bytes();
  }
  return bytes;
}

const FileTrouble* TroubleOf(const Store& s, std::string_view path) {
  for (const FileTrouble& t : s.Troubles()) {
    if (t.path == path) return &t;
  }
  return nullptr;
}

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A drive that has been in use: three examinations and every list.
    Store first(files);
    ASSERT_TRUE(first.StartUp().ok());
    first.CloseAllFiles();
    t.WriteBytes(kDataFile, data);
  }

  TempDrive t;
  AccessFileSystem files{t.Drive()};
  Store s{files};
  const std::string data = Exams(3);
};

TEST_F(StartUpTest, EveryFileUsableMeansNoMessage) {
  ASSERT_TRUE(s.StartUp().ok());
  EXPECT_TRUE(s.Troubles().empty());
  EXPECT_EQ(s.StartUpMessage(), "");
  EXPECT_TRUE(s.DataFileUsable());
  EXPECT_TRUE(s.DataFileWritable());
  EXPECT_EQ(s.DataFileRefusal(true), "");
  EXPECT_EQ(s.RecordCount(), 3);
}

// A folder where the data file should be: named, with the reason, and the
// store knows the data could not be read rather than that there is none.
TEST_F(StartUpTest, FolderInPlaceOfTheDataFile) {
  std::filesystem::remove(t.Host(kDataFile));
  std::filesystem::create_directory(t.Host(kDataFile));
  const Status st = s.StartUp();
  EXPECT_FALSE(st.ok());
  const FileTrouble* trouble = TroubleOf(s, kDataFile);
  ASSERT_NE(trouble, nullptr);
  EXPECT_EQ(trouble->trouble, Trouble::NotAFile);
  EXPECT_FALSE(s.DataFileUsable());
  EXPECT_EQ(s.RecordCount(), 0);
  const std::string message = s.StartUpMessage();
  EXPECT_NE(
      message.find(
          "「C:\\VLN2\\VLN2.ekg」はファイルではありません（同じ名前のフォルダーがあります）。"),
      std::string::npos)
      << message;
  EXPECT_NE(message.find("検査データを読み込めないため"), std::string::npos) << message;
  EXPECT_NE(message.find(t.Root().string()), std::string::npos) << message;
  EXPECT_EQ(message.find("データがありません"), std::string::npos);
  EXPECT_NE(s.DataFileRefusal(false).find("読み込めなかったため"), std::string::npos);
  // Everything else was opened all the same.
  EXPECT_NE(s.MasterFile(), nullptr);
  EXPECT_NE(s.ListFileOf(store::LookupList::Department), nullptr);
  EXPECT_NE(s.ScratchFile(), nullptr);
  EXPECT_EQ(s.Troubles().size(), 1u);
}

// A plain file named MASTA no longer stops the start: the examinations open,
// the folder is named once, the patient files are not listed one by one.
TEST_F(StartUpTest, PlainFileInPlaceOfTheMasterFolder) {
  std::filesystem::remove_all(t.Host("C:\\MASTA"));
  t.WriteBytes("C:\\MASTA", "not a folder");
  EXPECT_FALSE(s.StartUp().ok());
  EXPECT_TRUE(s.DataFileWritable());
  EXPECT_EQ(s.RecordCount(), 3);
  EXPECT_EQ(s.MasterFile(), nullptr);
  ASSERT_EQ(s.Troubles().size(), 1u);
  EXPECT_EQ(s.Troubles()[0].path, "C:\\MASTA\\");
  EXPECT_EQ(s.Troubles()[0].trouble, Trouble::NotAFolder);
  const std::string message = s.StartUpMessage();
  EXPECT_NE(message.find("「C:\\MASTA\\」はフォルダーではありません"), std::string::npos)
      << message;
  EXPECT_NE(message.find("患者マスタを使用できないため"), std::string::npos) << message;
  EXPECT_EQ(s.DataFileRefusal(true), "");
  EXPECT_EQ(t.ReadBytes("C:\\MASTA"), "not a folder");
}

// No read permission: nothing is read, nothing is written, and the reason
// is told; the examinations stay untouched on the disk.
TEST_F(StartUpTest, DataFileWithoutReadPermission) {
  files.DenyAll(kDataFile);
  EXPECT_EQ(s.StartUp().error, platform::kPermissionDenied);
  EXPECT_FALSE(s.DataFileUsable());
  EXPECT_EQ(s.RecordCount(), 0);
  const FileTrouble* trouble = TroubleOf(s, kDataFile);
  ASSERT_NE(trouble, nullptr);
  EXPECT_EQ(trouble->trouble, Trouble::NoPermission);
  EXPECT_NE(s.StartUpMessage().find("「C:\\VLN2\\VLN2.ekg」を開く権限がありません。"),
            std::string::npos);
  EXPECT_NE(s.DataFileRefusal(false).find("開く権限がありません"), std::string::npos);
  EXPECT_EQ(s.Rebuild(Staging::WorkFile, [] { return Status::Ok(); }).status.error,
            platform::kPermissionDenied);
  EXPECT_EQ(t.ReadBytes(kDataFile), data);
}

// A read-only data file is opened for reading: the examinations can be
// browsed, every write (and a rebuild, which would rename over it) is refused.
TEST_F(StartUpTest, ReadOnlyDataFileIsBrowsableButNeverWritten) {
  files.DenyWrite(kDataFile);
  EXPECT_FALSE(s.StartUp().ok());
  EXPECT_TRUE(s.DataFileUsable());
  EXPECT_FALSE(s.DataFileWritable());
  EXPECT_EQ(s.RecordCount(), 3);
  ExamRecord second;
  ASSERT_TRUE(s.ReadExamination(2, second).ok());
  EXPECT_EQ(second.Get(ExamField::Name), "患者2");
  EXPECT_EQ(TroubleOf(s, kDataFile)->trouble, Trouble::ReadOnlyFile);
  const std::string message = s.StartUpMessage();
  EXPECT_NE(message.find("「C:\\VLN2\\VLN2.ekg」は読み取り専用のファイルです。"), std::string::npos)
      << message;
  EXPECT_NE(message.find("検査データは表示だけできます"), std::string::npos) << message;
  EXPECT_EQ(s.DataFileRefusal(false), "");
  EXPECT_NE(s.DataFileRefusal(true).find("読み取り専用のため"), std::string::npos);

  EXPECT_EQ(s.DataFile()->Write(4, second).error, platform::kPermissionDenied);
  EXPECT_EQ(s.Rebuild(Staging::WorkFile, [] { return Status::Ok(); }).status.error,
            platform::kPermissionDenied);
  EXPECT_EQ(t.ReadBytes(kDataFile), data);
  // A reopen (after any replace) keeps it readable.
  ASSERT_TRUE(s.OpenAllFiles().ok());
  EXPECT_TRUE(s.DataFileUsable());
  EXPECT_EQ(s.RecordCount(), 3);
}

// On a read-only drive every file is opened for reading and the reason is the
// drive, not the files; nothing is created or deleted.
TEST_F(StartUpTest, ReadOnlyDrive) {
  t.WriteBytes(kScratchFile, "left");
  files.readOnlyDrive = true;
  EXPECT_FALSE(s.StartUp().ok());
  EXPECT_TRUE(s.DataFileUsable());
  EXPECT_FALSE(s.DataFileWritable());
  EXPECT_EQ(s.RecordCount(), 3);
  for (const FileTrouble& trouble : s.Troubles()) {
    EXPECT_EQ(trouble.trouble, Trouble::ReadOnlyDrive) << trouble.path;
    EXPECT_TRUE(trouble.readable) << trouble.path;
  }
  EXPECT_NE(s.StartUpMessage().find(
                "「C:\\VLN2\\VLN2.ekg」は読み取り専用のドライブにあります。読み取りだけできます。"),
            std::string::npos);
  EXPECT_EQ(t.ReadBytes(kScratchFile), "left");
}

// A run without the drive lock opens everything for reading and says nothing
// more about it; it creates, deletes and cleans up nothing.
TEST_F(StartUpTest, ReadOnlySessionWritesNothing) {
  t.WriteBytes(kScratchFile, "left");
  t.WriteBytes("C:\\VLN2\\GAZOU\\Temp.bmp", "BM");
  std::filesystem::remove(t.Host(kDepartmentFile));
  s.SetReadOnlySession(true);
  EXPECT_TRUE(s.StartUp().ok());
  EXPECT_EQ(s.StartUpMessage(), "");
  EXPECT_TRUE(s.DataFileUsable());
  EXPECT_FALSE(s.DataFileWritable());
  EXPECT_NE(s.DataFileRefusal(true).find("このデータドライブには書き込めない"), std::string::npos);
  EXPECT_EQ(s.ListFileOf(store::LookupList::Department), nullptr);  // reads as empty entries
  EXPECT_EQ(s.MasterFile()->Write(1, PatientRecord()).error, platform::kPermissionDenied);
  EXPECT_EQ(t.ReadBytes(kScratchFile), "left");
  EXPECT_TRUE(std::filesystem::exists(t.Host("C:\\VLN2\\GAZOU\\Temp.bmp")));
  EXPECT_FALSE(std::filesystem::exists(t.Host(kDepartmentFile)));

  // Without a data file there is nothing to browse, and that is said.
  std::filesystem::remove(t.Host(kDataFile));
  Store empty(files);
  empty.SetReadOnlySession(true);
  EXPECT_FALSE(empty.StartUp().ok());
  EXPECT_FALSE(empty.DataFileUsable());
  EXPECT_EQ(TroubleOf(empty, kDataFile)->trouble, Trouble::Missing);
  EXPECT_FALSE(std::filesystem::exists(t.Host(kDataFile)));
}

}  // namespace

namespace {

// A file ending in part of a record (a write that did not end) is named at
// start-up with the bytes it holds, instead of losing them unsaid.
TEST(StartUpPartialRecords, AFileEndingInPartOfARecordIsNamed) {
  testing_support::TempDrive t;
  t.WriteBytes("C:\\VLN2\\VLN2.ekg", std::string(579 * 2, ' '));
  t.WriteBytes("C:\\MASTA\\KANJYA.MASTA", std::string(127 * 3 + 63, ' '));
  platform::PosixFileSystem files(t.Drive());
  store::Store s(files);
  ASSERT_TRUE(s.StartUp().ok());
  ASSERT_EQ(s.PartialRecords().size(), 1u);
  EXPECT_EQ(s.PartialRecords()[0].path, store::kMasterFile);
  EXPECT_EQ(s.PartialRecords()[0].bytes, 63u);
  EXPECT_NE(s.PartialRecordsMessage().find("「C:\\MASTA\\KANJYA.MASTA」：63 バイト"),
            std::string::npos)
      << s.PartialRecordsMessage();
}

}  // namespace
