// The examinations-by-patient index against a full scan of the data file.

#include "store/exam_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "platform/file_system.h"
#include "store/store.h"
#include "store/text_format.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/records.h"
#include "tests/support/temp_drive.h"

namespace {

using store::ExamField;
using store::ExamIndex;
using store::ExamRecord;

// A random examination of one of a few patients (some with no ID).
ExamRecord RandomExam(std::mt19937& random) {
  const int patient = static_cast<int>(random() % 6);
  const int day = static_cast<int>(random() % 5) + 1;
  return testing_support::Exam(1)
      .With(ExamField::PatientId, patient == 0 ? "" : "00000" + std::to_string(patient))
      .With(ExamField::ExamDate, "2025/01/0" + std::to_string(day));
}

// What an index built by reading `records` from a file answers for every
// patient.
std::vector<std::vector<ExamIndex::Entry>> Scanned(const std::vector<ExamRecord>& records,
                                                   ExamIndex& into) {
  testing_support::MemoryFileSystem memory;
  memory.WriteBytes(store::kDataFile, testing_support::FileBytes(records));
  std::unique_ptr<store::RecordFile> file;
  EXPECT_TRUE(
      store::RecordFile::Open(memory, store::kDataFile, store::kExamRecordLength, file).ok());
  EXPECT_TRUE(into.Build(file.get()).ok());
  std::vector<std::vector<ExamIndex::Entry>> byPatient;
  for (int p = 0; p < 6; ++p) {
    byPatient.push_back(into.ExamsOf(p == 0 ? "" : "00000" + std::to_string(p)));
  }
  return byPatient;
}

TEST(ExamIndexTest, ABuildFindsAPatientsExaminationsByDateThenNumber) {
  std::vector<ExamRecord> records;
  for (auto [id, date] : {std::pair{"000001", "2025/01/03"},
                          {"000002", "2025/01/01"},
                          {"000001", "2025/01/01"},
                          {"000001", "2025/01/03"},
                          {"", "2025/01/01"}}) {
    records.push_back(
        testing_support::Exam(1).With(ExamField::PatientId, id).With(ExamField::ExamDate, date));
  }
  ExamIndex index;
  const auto byPatient = Scanned(records, index);
  EXPECT_EQ(index.Records(), 5);
  EXPECT_EQ(byPatient[1], (std::vector<ExamIndex::Entry>{
                              {3, "2025/01/01"}, {1, "2025/01/03"}, {4, "2025/01/03"}}));
  EXPECT_EQ(byPatient[2], (std::vector<ExamIndex::Entry>{{2, "2025/01/01"}}));
  EXPECT_TRUE(byPatient[0].empty());  // no ID is no patient
  EXPECT_TRUE(index.ExamsOf("000003").empty());
  EXPECT_TRUE(index.Build(nullptr).ok());
  EXPECT_EQ(index.Records(), 0);
}

TEST(ExamIndexTest, KeptCurrentThroughRandomChangesItEqualsAFullScan) {
  for (unsigned seed : {1u, 2u, 3u, 27u}) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    std::vector<ExamRecord> records;
    ExamIndex kept;
    for (int step = 0; step < 400; ++step) {
      const int n = static_cast<int>(records.size());
      switch (n == 0 ? 0 : random() % 4) {
        case 0:
        case 1: {  // register
          records.push_back(RandomExam(random));
          kept.Put(n + 1, records.back());
          break;
        }
        case 2: {  // overwrite
          const int at = static_cast<int>(random() % n) + 1;
          records[at - 1] = RandomExam(random);
          kept.Put(at, records[at - 1]);
          break;
        }
        default: {  // delete
          const int at = static_cast<int>(random() % n) + 1;
          records.erase(records.begin() + (at - 1));
          kept.Remove(at);
        }
      }
      if (step % 20 != 19) continue;
      ExamIndex scanned;
      const auto expected = Scanned(records, scanned);
      for (int p = 0; p < 6; ++p) {
        EXPECT_EQ(kept.ExamsOf(p == 0 ? "" : "00000" + std::to_string(p)), expected[p]) << step;
      }
      EXPECT_EQ(kept.Records(), scanned.Records());
    }
  }
}

// Whatever bytes an ID is stored as, and whether the file is read in pieces
// or in place, a patient's examinations are those whose trimmed ID reads as
// the one asked.
TEST(ExamIndexTest, AnyStoredIdFindsItsExaminationsReadOrMapped) {
  const struct {
    const char* what;
    std::string stored;  // cp932 bytes, as in the file
  } ids[] = {
      {"digits", "000042"},
      {"short, blank-padded", "42"},
      {"a blank inside", "4 2"},
      {"half-width kana", platform::ToCp932("ｱｲｳ")},
      {"kanji", platform::ToCp932("山田")},
      {"a lone lead byte", "\x81"},
      {"six letters", "ABCDEF"},
  };
  std::vector<ExamRecord> records;
  for (int round = 0; round < 3; ++round) {
    for (const auto& id : ids) {
      ExamRecord r = testing_support::Exam(1).With(ExamField::ExamDate,
                                                   "2025/01/0" + std::to_string(3 - round));
      const store::FieldDef& def = ExamRecord::Def(ExamField::PatientId);
      std::string raw = id.stored;
      raw.resize(def.width, ' ');
      std::copy_n(raw.data(), def.width, r.data() + def.offset);
      records.push_back(r);
    }
  }
  testing_support::MemoryFileSystem memory;
  memory.WriteBytes(store::kDataFile, testing_support::FileBytes(records));
  testing_support::TempDrive drive;
  std::filesystem::create_directories(drive.Host(store::kDataFile).parent_path());
  drive.WriteBytes(store::kDataFile, testing_support::FileBytes(records));
  platform::PosixFileSystem disk{drive.Drive()};
  for (platform::FileSystem* fs :
       {static_cast<platform::FileSystem*>(&memory), static_cast<platform::FileSystem*>(&disk)}) {
    std::unique_ptr<store::RecordFile> file;
    ASSERT_TRUE(
        store::RecordFile::Open(*fs, store::kDataFile, store::kExamRecordLength, file).ok());
    ExamIndex index;
    ASSERT_TRUE(index.Build(file.get()).ok());
    for (const auto& id : ids) {
      std::vector<ExamIndex::Entry> expected;
      const std::string text = platform::FromCp932(store::TrimBlanks(id.stored));
      // The dates fall as the records go on.
      for (int r = static_cast<int>(records.size()); r >= 1; --r) {
        if (records[static_cast<std::size_t>(r - 1)].Get(ExamField::PatientId) == text) {
          expected.push_back(
              {r, records[static_cast<std::size_t>(r - 1)].Get(ExamField::ExamDate)});
        }
      }
      EXPECT_EQ(index.ExamsOf(text), expected) << id.what;
      EXPECT_EQ(expected.size(), 3u) << id.what;
    }
  }
}

}  // namespace
