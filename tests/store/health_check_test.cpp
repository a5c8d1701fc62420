#include "store/health_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "store/master_file.h"
#include "store/store.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/records.h"

namespace {

using namespace store;
using Kind = Finding::Kind;
using testing_support::Exam;
using testing_support::FileBytes;
using testing_support::MemoryFileSystem;
using testing_support::Patient;

PatientRecord Numbered(int n, int id) {
  PatientRecord p = Patient(id);
  p.Set(PatientField::RecordNo, MasterRecordNo(n));
  return p;
}

// A drive with nothing wrong: three examinations, the first two with their
// pictures (names in other letter case), the third without one; a master in
// ID order; a list.
void MakeSoundDrive(MemoryFileSystem& m) {
  m.WriteBytes(kDataFile, FileBytes({Exam(1), Exam(2), Exam(3).With(ExamField::ImageName, "")}));
  m.WriteBytes(std::string(kImageDir) + "IMG1.jpg", "jpeg");
  m.WriteBytes(std::string(kImageDir) + "img2.JPG", "jpeg");
  m.WriteBytes(kMasterFile, FileBytes({Numbered(1, 5), Numbered(2, 40), Numbered(3, 300)}));
  m.WriteBytes(kDepartmentFile, std::string(40, ' '));
}

TEST(HealthCheck, SoundDriveHasNoFindings) {
  MemoryFileSystem m;
  MakeSoundDrive(m);
  m.WriteBytes(kWorkFile, "a list on screen");
  platform::NoProgress progress;
  const std::vector<Finding> found = CheckDrive(m, m.Drive().Root(), false, progress);
  for (const Finding& f : found) ADD_FAILURE() << FindingLine(f);
}

TEST(HealthCheck, FindsEachKindOfPlantedDamage) {
  struct Case {
    const char* name;
    std::function<void(MemoryFileSystem&)> plant;
    Kind kind;
    std::string file;
    int record;
  };
  const std::string exams = FileBytes({Exam(1), Exam(2), Exam(3).With(ExamField::ImageName, "")});
  const Case cases[] = {
      {"torn last examination",
       [&](MemoryFileSystem& m) { m.WriteBytes(kDataFile, exams + "12345"); }, Kind::kPartRecord,
       kDataFile, 4},
      {"torn list",
       [](MemoryFileSystem& m) { m.WriteBytes(kDepartmentFile, std::string(41, ' ')); },
       Kind::kPartRecord, kDepartmentFile, 3},
      {"bytes cp932 cannot decode",
       [&](MemoryFileSystem& m) {
         std::string bytes = exams;
         bytes[kExamRecordLength + 22] = '\x81';
         bytes[kExamRecordLength + 23] = '\x20';
         bytes[kExamRecordLength + 24] = '\xFF';
         m.WriteBytes(kDataFile, bytes);
       },
       Kind::kUndecodable, kDataFile, 2},
      {"a double-byte character across two fields",
       [&](MemoryFileSystem& m) {
         std::string bytes = exams;
         bytes[kExamRecordLength + 41] = '\x82';  // the last byte of the name
         bytes[kExamRecordLength + 42] = '\xA0';  // the sex
         m.WriteBytes(kDataFile, bytes);
       },
       Kind::kUndecodable, kDataFile, 2},
      {"examination number out of sequence",
       [](MemoryFileSystem& m) {
         m.WriteBytes(kDataFile, FileBytes({Exam(1), Exam(5).With(ExamField::ImageName, "IMG2"),
                                            Exam(3).With(ExamField::ImageName, "")}));
       },
       Kind::kRecordNumber, kDataFile, 2},
      {"picture missing",
       [](MemoryFileSystem& m) { (void)m.Delete(std::string(kImageDir) + "img2.JPG"); },
       Kind::kMissingPicture, kDataFile, 2},
      {"picture nobody names",
       [](MemoryFileSystem& m) { m.WriteBytes(std::string(kImageDir) + "OLD.jpg", "jpeg"); },
       Kind::kOrphanPicture, std::string(kImageDir) + "OLD.jpg", 0},
      {"master out of ID order",
       [](MemoryFileSystem& m) {
         m.WriteBytes(kMasterFile, FileBytes({Numbered(1, 5), Numbered(2, 300), Numbered(3, 40)}));
       },
       Kind::kMasterOrder, kMasterFile, 3},
      {"master ID twice",
       [](MemoryFileSystem& m) {
         m.WriteBytes(kMasterFile, FileBytes({Numbered(1, 5), Numbered(2, 40), Numbered(3, 40)}));
       },
       Kind::kDuplicateId, kMasterFile, 3},
      {"master number out of sequence",
       [](MemoryFileSystem& m) {
         m.WriteBytes(kMasterFile, FileBytes({Numbered(1, 5), Numbered(1, 40), Numbered(3, 300)}));
       },
       Kind::kRecordNumber, kMasterFile, 2},
      {"staging file of a rebuild",
       [](MemoryFileSystem& m) { m.WriteBytes("C:\\VLN2\\TEMP.DATA.PART", "x"); }, Kind::kLeftover,
       "C:\\VLN2\\TEMP.DATA.PART", 0},
      {"scratch copy of the master", [](MemoryFileSystem& m) { m.WriteBytes(kScratchFile, "x"); },
       Kind::kLeftover, "C:\\MASTA\\KARIKAN.DATA", 0},
      {"working copy of a run that ended",
       [](MemoryFileSystem& m) { m.WriteBytes(kWorkFile, "x"); }, Kind::kLeftover, kWorkFile, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem m;
    MakeSoundDrive(m);
    c.plant(m);
    platform::NoProgress progress;
    const std::vector<Finding> found = CheckDrive(m, m.Drive().Root(), true, progress);
    ASSERT_EQ(found.size(), 1u) << (found.empty() ? "" : FindingLine(found[0]));
    EXPECT_EQ(found[0].kind, c.kind);
    EXPECT_TRUE(platform::EqualsIgnoringAsciiCase(found[0].file, c.file)) << found[0].file;
    EXPECT_EQ(found[0].record, c.record);
    EXPECT_FALSE(found[0].action.empty());
  }
}

TEST(HealthCheck, TellsEachKindAHundredTimesAFileAtMost) {
  struct Case {
    const char* name;
    std::function<std::string(int n)> examination;  // the bytes of examination n
    Kind kind;
  };
  const Case cases[] = {
      {"pictures missing", [](int n) { return Exam(n).Bytes(); }, Kind::kMissingPicture},
      {"numbers out of sequence",
       [](int n) { return Exam(n + 1).With(ExamField::ImageName, "").Bytes(); },
       Kind::kRecordNumber},
      {"bytes cp932 cannot decode",
       [](int n) {
         std::string bytes = Exam(n).With(ExamField::ImageName, "").Bytes();
         bytes[100] = '\xFF';
         return bytes;
       },
       Kind::kUndecodable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem m;
    std::string bytes;
    for (int n = 1; n <= 150; ++n) bytes += c.examination(n);
    m.WriteBytes(kDataFile, bytes);
    platform::NoProgress progress;
    const std::vector<Finding> found = CheckDrive(m, m.Drive().Root(), true, progress);
    ASSERT_EQ(found.size(), 100u);
    for (int i = 0; i < 100; ++i) {
      EXPECT_EQ(found[i].kind, c.kind);
      EXPECT_EQ(found[i].record, i + 1);
    }
  }
}

}  // namespace
