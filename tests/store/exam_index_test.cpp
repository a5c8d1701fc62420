// The examinations-by-patient index against a full scan of the data file.

#include "store/exam_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "store/store.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/records.h"

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

}  // namespace
