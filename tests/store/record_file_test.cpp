#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "store/record_file.h"
#include "store/records.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/records.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;
using testing_support::TempDrive;

constexpr const char* kPath = "C:\\VLN2\\VLN2.ekg";

ExamRecord Numbered(int n) { return testing_support::Exam(n); }

class RecordFileTest : public ::testing::Test {
 protected:
  void SetUp() override { t.WriteBytes(kPath, ""); }
  std::unique_ptr<RecordFile> Open() {
    std::unique_ptr<RecordFile> f;
    EXPECT_TRUE(RecordFile::Open(files, kPath, kExamRecordLength, f).ok());
    return f;
  }
  TempDrive t;
  platform::PosixFileSystem files{t.Drive()};
};

TEST_F(RecordFileTest, CountIsWholeRecordsAndAPartialTailIsIgnored) {
  EXPECT_EQ(Open()->Count(), 0);
  t.WriteBytes(kPath, std::string(1158, 'x'));
  EXPECT_EQ(Open()->Count(), 2);
  t.WriteBytes(kPath, std::string(1160, 'x'));
  auto f = Open();
  EXPECT_EQ(f->Count(), 2);
  ExamRecord r;
  ASSERT_TRUE(f->Read(3, r).ok());
  EXPECT_EQ(r.Bytes(), std::string(579, ' '));  // the two stray bytes are never read
}

TEST_F(RecordFileTest, ReadingPastTheEndGivesABlankRecord) {
  auto f = Open();
  ExamRecord r = Numbered(9);
  ASSERT_TRUE(f->Read(1, r).ok());
  EXPECT_EQ(r, ExamRecord());
  ASSERT_TRUE(f->Write(1, Numbered(1)).ok());
  ASSERT_TRUE(f->Read(2, r).ok());
  EXPECT_EQ(r, ExamRecord());
}

TEST_F(RecordFileTest, WritesAppendOrOverwriteButNeverLeaveAHole) {
  auto f = Open();
  for (int n = 1; n <= 3; ++n) ASSERT_TRUE(f->Write(n, Numbered(n)).ok());
  EXPECT_EQ(f->Write(5, Numbered(5)).error, platform::kBadRecordNumber);
  EXPECT_EQ(f->Write(0, Numbered(0)).error, platform::kBadRecordNumber);
  ASSERT_TRUE(f->Write(2, Numbered(20)).ok());
  EXPECT_EQ(f->Count(), 3);
  // The bytes are in the file before anything is closed.
  const std::string bytes = t.ReadBytes(kPath);
  ASSERT_EQ(bytes.size(), 3 * 579u);
  EXPECT_EQ(bytes.substr(579, 579), Numbered(20).Bytes());
  EXPECT_EQ(bytes.substr(1158, 579), Numbered(3).Bytes());
}

TEST_F(RecordFileTest, SequentialReadsSeeEarlierWrites) {
  auto f = Open();
  for (int n = 1; n <= 300; ++n) ASSERT_TRUE(f->Write(n, Numbered(n)).ok());
  ExamRecord r;
  ASSERT_TRUE(f->Read(1, r).ok());  // fills the read-ahead
  ASSERT_TRUE(f->Write(57, Numbered(5700)).ok());
  ASSERT_TRUE(f->Write(301, Numbered(301)).ok());
  for (int n = 1; n <= 301; ++n) {
    ASSERT_TRUE(f->Read(n, r).ok());
    EXPECT_EQ(r, Numbered(n == 57 ? 5700 : n)) << n;
  }
}

TEST_F(RecordFileTest, AFailedWriteIsReportedAndChangesNothing) {
  testing_support::FaultyFileSystem faulty(t.Drive());
  std::unique_ptr<RecordFile> f;
  ASSERT_TRUE(RecordFile::Open(faulty, kPath, kExamRecordLength, f).ok());
  ASSERT_TRUE(f->Write(1, Numbered(1)).ok());
  faulty.FailNthWrite(1, platform::kDiskFull);
  EXPECT_EQ(f->Write(2, Numbered(2)).error, platform::kDiskFull);
  EXPECT_EQ(f->Count(), 1);
  EXPECT_EQ(t.ReadBytes(kPath), Numbered(1).Bytes());
}

TEST_F(RecordFileTest, WriteBehindHandsRecordsOverByFlushAndOnRead) {
  testing_support::FaultyFileSystem faulty(t.Drive());
  std::unique_ptr<RecordFile> f;
  ASSERT_TRUE(RecordFile::Open(faulty, kPath, kExamRecordLength, f).ok());
  ASSERT_TRUE(f->SetWriteBehind(true).ok());
  for (int n = 1; n <= 10; ++n) ASSERT_TRUE(f->Write(n, Numbered(n)).ok());
  EXPECT_EQ(f->Count(), 10);
  EXPECT_EQ(faulty.WritesSeen(), 0);
  ExamRecord r;
  ASSERT_TRUE(f->Read(4, r).ok());
  EXPECT_EQ(r, Numbered(4));
  EXPECT_EQ(t.ReadBytes(kPath).size(), 10 * 579u);
  ASSERT_TRUE(f->Write(11, Numbered(11)).ok());
  ASSERT_TRUE(f->Flush().ok());
  EXPECT_EQ(t.ReadBytes(kPath).size(), 11 * 579u);

  // A failed hand-over is reported, and the count is what the file holds.
  ASSERT_TRUE(f->Write(12, Numbered(12)).ok());
  faulty.FailNthWrite(1, platform::kDiskFull);
  EXPECT_EQ(f->Flush().error, platform::kDiskFull);
  EXPECT_EQ(f->Count(), 11);
  EXPECT_EQ(f->Write(13, Numbered(13)).error, platform::kBadRecordNumber);
}

// The bulk reads and appends of a rebuild: whole records, pending appends
// handed over first, ranges checked.
TEST_F(RecordFileTest, RangesAreReadAndAppendedInOnePiece) {
  testing_support::FaultyFileSystem faulty(t.Drive());
  std::unique_ptr<RecordFile> f;
  ASSERT_TRUE(RecordFile::Open(faulty, kPath, kExamRecordLength, f).ok());
  ASSERT_TRUE(f->SetWriteBehind(true).ok());
  ASSERT_TRUE(f->Write(1, Numbered(1)).ok());
  const std::string two = testing_support::Exam(2).Bytes() + testing_support::Exam(3).Bytes();
  ASSERT_TRUE(f->AppendRecords(two).ok());
  EXPECT_EQ(f->Count(), 3);
  EXPECT_EQ(f->AppendRecords("short").error, platform::kBadRecordNumber);

  std::string all(3 * kExamRecordLength, '?');
  ASSERT_TRUE(f->ReadRecords(1, 3, all).ok());
  EXPECT_EQ(all, testing_support::Exam(1).Bytes() + two);
  EXPECT_EQ(f->ReadRecords(2, 3, all).error, platform::kBadRecordNumber);
  EXPECT_EQ(f->ReadRecords(0, 1, all).error, platform::kBadRecordNumber);
  std::string small(kExamRecordLength, '?');
  EXPECT_EQ(f->ReadRecords(1, 2, small).error, platform::kBadRecordNumber);
  ASSERT_TRUE(f->ReadRecords(3, 1, small).ok());
  EXPECT_EQ(small, testing_support::Exam(3).Bytes());
  ASSERT_TRUE(f->ReadRecords(4, 0, small).ok());

  // A failed append leaves the count at what the file holds.
  faulty.FailNthWrite(1, platform::kDiskFull);
  EXPECT_EQ(f->AppendRecords(testing_support::Exam(4).Bytes()).error, platform::kDiskFull);
  EXPECT_EQ(f->Count(), 3);
  EXPECT_EQ(t.ReadBytes(kPath), testing_support::Exam(1).Bytes() + two);
}

}  // namespace

namespace {

// A write that fails part-way (a disk that fills up in the middle of a
// record) is taken back: the file holds the old bytes, or is said to be
// mixed when even that failed.
TEST_F(RecordFileTest, AWriteThatFailsPartWayIsTakenBack) {
  const std::string two = std::string(Numbered(1).Bytes()) + std::string(Numbered(2).Bytes());
  const struct {
    const char* what;
    int record;    // 0: AppendRecords of two records
    int failures;  // failing writes in a row (the second one is the taking back)
    std::string left;
    RecordFile::Left says;
  } cases[] = {
      {"overwrite, old record put back", 2, 1, two, RecordFile::Left::Old},
      {"overwrite, putting back fails too", 2, 2, "", RecordFile::Left::Mixed},
      {"append, the partial record cut off", 3, 1, two, RecordFile::Left::Old},
      {"append of several, all cut off", 0, 1, two, RecordFile::Left::Old},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    t.WriteBytes(kPath, two);
    testing_support::FaultyFileSystem faulty(files);
    std::unique_ptr<RecordFile> f;
    ASSERT_TRUE(RecordFile::Open(faulty, kPath, kExamRecordLength, f).ok());
    faulty.FailNthWriteShort(1, 100, platform::kDiskFull, c.failures);
    const std::string more = std::string(Numbered(8).Bytes()) + std::string(Numbered(9).Bytes());
    const Status s = c.record == 0 ? f->AppendRecords(more) : f->Write(c.record, Numbered(9));
    EXPECT_EQ(s.error, platform::kDiskFull);
    EXPECT_EQ(f->LastWriteLeft(), c.says);
    const std::string now = t.ReadBytes(kPath);
    if (c.says == RecordFile::Left::Old) {
      EXPECT_EQ(now, c.left);
    } else {
      EXPECT_NE(now.substr(579), Numbered(2).Bytes());
    }
    EXPECT_EQ(f->Count(), static_cast<std::int32_t>(now.size() / kExamRecordLength));
  }
}

}  // namespace
