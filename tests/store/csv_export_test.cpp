#include "store/csv_export.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "store/store.h"
#include "tests/support/csv_reader.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/records.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;
using testing_support::Exam;
using testing_support::FaultyFileSystem;
using testing_support::FileBytes;
using testing_support::MemoryFileSystem;
using testing_support::Patient;
using Rows = testing_support::CsvRows;

// The file as a spreadsheet reads it; every line ends in CR LF.
Rows ParseCsv(const std::string& text) {
  bool whole = false;
  Rows rows = testing_support::ReadCsv(text, &whole);
  EXPECT_TRUE(whole) << "the last line does not end in CR LF";
  return rows;
}

std::string Decoded(const std::string& bytes, CsvEncoding encoding) {
  if (encoding == CsvEncoding::kCp932) return platform::FromCp932(bytes);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  return bytes.substr(3);
}

class CsvExportTest : public ::testing::Test {
 protected:
  MemoryFileSystem memory;
  platform::NoProgress progress;
  void SetUp() override { ASSERT_TRUE(memory.CreateDirectory("/out").ok()); }
};

TEST_F(CsvExportTest, ExaminationsReadBackAsTheyStand) {
  struct Case {
    const char* comment;
    const char* cell;  // what a spreadsheet shows
  };
  const Case comments[] = {
      {"洞調律\r\n経過観察", "洞調律\r\n経過観察"},
      {"ST低下, 要再検", "ST低下, 要再検"},
      {"\"至急\"の依頼", "\"至急\"の依頼"},
      {"=HYPERLINK(\"x\")", "'=HYPERLINK(\"x\")"},
      {"+81 3", "'+81 3"},
      {"-5mm", "'-5mm"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\tタブ", "'\tタブ"},
      {"～①㈱", "～①㈱"},
  };
  std::vector<ExamRecord> records;
  for (const Case& c : comments) {
    records.push_back(
        Exam(static_cast<int>(records.size()) + 1).With(ExamField::Comment, c.comment));
  }
  memory.WriteBytes(kDataFile, FileBytes(records) + "torn");
  for (CsvEncoding encoding : {CsvEncoding::kCp932, CsvEncoding::kUtf8Bom}) {
    SCOPED_TRACE(encoding == CsvEncoding::kCp932 ? "cp932" : "utf-8");
    const CsvResult r =
        ExportCsv(memory, CsvSource::kExaminations, "/out/e.csv", encoding, progress);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.rows, static_cast<int>(records.size()));
    const Rows rows = ParseCsv(Decoded(memory.ReadBytes("/out/e.csv"), encoding));
    ASSERT_EQ(rows.size(), records.size() + 1);
    EXPECT_EQ(rows[0][0], "番号");
    EXPECT_EQ(rows[0][8], "コメント");
    for (std::size_t i = 0; i < records.size(); ++i) {
      ASSERT_EQ(rows[i + 1].size(), kExamFields.size());
      EXPECT_EQ(rows[i + 1][8], comments[i].cell);
      EXPECT_EQ(rows[i + 1][3], records[i].Get(ExamField::Name));
      EXPECT_EQ(rows[i + 1][24], records[i].Get(ExamField::ImageName));
    }
    EXPECT_FALSE(memory.Exists("/out/e.csv.part"));
  }
}

TEST_F(CsvExportTest, EachSourceIsItsOwnFile) {
  memory.WriteBytes(kDataFile, FileBytes({Exam(1), Exam(2), Exam(3)}));
  memory.WriteBytes(kWorkFile, FileBytes({Exam(2)}));
  memory.WriteBytes(kMasterFile, FileBytes({Patient(7), Patient(9)}));
  struct Case {
    CsvSource source;
    std::size_t rows;
    std::size_t columns;
    std::string firstId;
  };
  const Case cases[] = {
      {CsvSource::kExaminations, 3, 25, Exam(1).Record().Get(ExamField::PatientId)},
      {CsvSource::kExamList, 1, 25, Exam(2).Record().Get(ExamField::PatientId)},
      {CsvSource::kPatients, 2, 8, "000007"},
  };
  for (const Case& c : cases) {
    const CsvResult r = ExportCsv(memory, c.source, "/out/x.csv", CsvEncoding::kUtf8Bom, progress);
    ASSERT_TRUE(r.ok());
    const Rows rows = ParseCsv(Decoded(memory.ReadBytes("/out/x.csv"), CsvEncoding::kUtf8Bom));
    ASSERT_EQ(rows.size(), c.rows + 1);
    EXPECT_EQ(rows[0].size(), c.columns);
    EXPECT_EQ(rows[1][c.source == CsvSource::kPatients ? 1 : 2], c.firstId);
  }
}

TEST_F(CsvExportTest, FailedExportLeavesNoFile) {
  memory.WriteBytes(kDataFile, FileBytes({Exam(1)}));
  FaultyFileSystem faulty(memory);
  struct Case {
    const char* name;
    std::function<void()> arm;
  };
  const Case cases[] = {
      {"disk full", [&] { faulty.FailNthWrite(1, platform::kDiskFull); }},
      {"sync", [&] { faulty.FailNthSync(1); }},
      {"rename", [&] { faulty.FailNthRename(1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.arm();
    const CsvResult r =
        ExportCsv(faulty, CsvSource::kExaminations, "/out/e.csv", CsvEncoding::kCp932, progress);
    faulty.Heal();
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(memory.Exists("/out/e.csv"));
    EXPECT_FALSE(memory.Exists("/out/e.csv.part"));
  }
  // A write failing among those of the lines two threads make of a large
  // file read in place.
  testing_support::TempDrive drive;
  platform::PosixFileSystem disk(drive.Drive());
  FaultyFileSystem faultyDisk(disk);
  std::string many;
  for (int i = 0; i < 12000; ++i) many += Exam(i).Record().Bytes();
  drive.WriteBytes(kDataFile, many);
  faultyDisk.FailNthWrite(4, platform::kDiskFull);
  const std::filesystem::path target = drive.Root() / "e.csv";
  EXPECT_FALSE(
      ExportCsv(faultyDisk, CsvSource::kExaminations, target, CsvEncoding::kCp932, progress).ok());
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_FALSE(std::filesystem::exists(target.string() + ".part"));
}

// The file as the cells of CsvRows make it, one CsvLine at a time.
std::string CellByCell(const std::string& fileBytes, CsvSource source, CsvEncoding encoding) {
  std::string text;
  for (const std::vector<std::string>& row : CsvRows(fileBytes, source)) text += CsvLine(row);
  return EncodeCsv(text, encoding);
}

// Records whose every field holds a random mix of what cells can start
// with, contain and end with, one field in four filled to its last byte;
// `raw` adds bytes no character is made of.
template <typename Record, std::size_t N>
std::string MixedRecords(const std::array<FieldDef, N>& fields, int count, bool raw) {
  const std::vector<std::string> pieces = {"ｱｲｳｴｵ", "ｶﾞｯｺｳ", "漢字", "～①㈱", "表", "ソ", " ",
                                           "  ",    "\"",    ",",    "\r\n",  "\n", "\r", "=",
                                           "+",     "-",     "@",    "\t",    "A1", "0",  "'"};
  const std::vector<std::string> rawPieces = {"\x81\x22", "\x85\x40", "\xFF",
                                              "\xA0",     "\x80",     "\x82"};
  std::mt19937 random(25);
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    Record record;
    for (std::size_t f = 0; f < N; ++f) {
      std::string text;
      const bool full = random() % 4 == 0;
      for (int k = static_cast<int>(random() % 5); k > 0 || (full && text.size() < fields[f].width);
           --k) {
        text += pieces[random() % pieces.size()];
      }
      record.Set(static_cast<typename Record::FieldType>(f), text);
      if (raw && random() % 3 == 0 && fields[f].width > 2) {
        const std::string& piece = rawPieces[random() % rawPieces.size()];
        const std::size_t at = random() % (fields[f].width - piece.size() + 1);
        std::copy(piece.begin(), piece.end(), record.data() + fields[f].offset + at);
      }
    }
    bytes += record.Bytes();
  }
  return bytes;
}

TEST_F(CsvExportTest, WholeFileIsWhatItsCellsMake) {
  struct Case {
    const char* name;
    CsvSource source;
    CsvEncoding encoding;
    bool raw;   // bytes that decode to U+FFFD: their cp932 cells could not match
    bool disk;  // the records read in place from the disk's pages
    int records;
  };
  // Enough records on disk for the lines to be made by two threads in turn,
  // the last run of them a short one.
  constexpr int kTwoHands = 11000;
  const Case cases[] = {
      {"examinations cp932", CsvSource::kExaminations, CsvEncoding::kCp932, false, false, 3000},
      {"examinations utf-8", CsvSource::kExaminations, CsvEncoding::kUtf8Bom, true, false, 3000},
      {"patients cp932", CsvSource::kPatients, CsvEncoding::kCp932, false, false, 3000},
      {"patients utf-8", CsvSource::kPatients, CsvEncoding::kUtf8Bom, true, false, 3000},
      {"examinations cp932 on disk", CsvSource::kExaminations, CsvEncoding::kCp932, false, true,
       kTwoHands},
      {"examinations utf-8 on disk", CsvSource::kExaminations, CsvEncoding::kUtf8Bom, true, true,
       kTwoHands},
      {"patients utf-8 on disk", CsvSource::kPatients, CsvEncoding::kUtf8Bom, true, true,
       kTwoHands},
      {"one examination on disk", CsvSource::kExaminations, CsvEncoding::kUtf8Bom, true, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool patients = c.source == CsvSource::kPatients;
    const std::string bytes = patients
                                  ? MixedRecords<PatientRecord>(kPatientFields, c.records, c.raw)
                                  : MixedRecords<ExamRecord>(kExamFields, c.records, c.raw);
    const char* file = patients ? kMasterFile : kDataFile;
    testing_support::TempDrive drive;
    platform::PosixFileSystem disk(drive.Drive());
    platform::FileSystem& fs = c.disk ? static_cast<platform::FileSystem&>(disk) : memory;
    const std::filesystem::path target = c.disk ? drive.Root() / "m.csv" : "/out/m.csv";
    if (c.disk) {
      drive.WriteBytes(file, bytes + "torn");
    } else {
      memory.WriteBytes(file, bytes + "torn");
    }
    ASSERT_TRUE(ExportCsv(fs, c.source, target, c.encoding, progress).ok());
    const std::string written =
        c.disk ? drive.ReadBytes(target.string()) : memory.ReadBytes(target.string());
    const std::string expected = CellByCell(bytes, c.source, c.encoding);
    ASSERT_EQ(written.size(), expected.size());
    for (std::size_t at = 0; at < written.size(); at += 4096) {
      ASSERT_EQ(written.substr(at, 4096), expected.substr(at, 4096)) << "at byte " << at;
    }
  }
}

}  // namespace
