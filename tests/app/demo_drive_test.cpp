#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "demo/demo_drive.h"
#include "lookups/builtin_vocabularies.h"
#include "platform/file_system.h"
#include "store/records.h"
#include "store/store.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;

template <typename Record>
std::vector<Record> ReadAll(const std::filesystem::path& root, const char* file) {
  std::ifstream in(platform::DataDrive(root).ToHost(file), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  const std::string bytes = s.str();
  EXPECT_EQ(bytes.size() % Record::kLength, 0u) << file;
  std::vector<Record> records(bytes.size() / Record::kLength);
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::copy_n(bytes.data() + i * Record::kLength, Record::kLength, records[i].data());
  }
  return records;
}

std::optional<QDate> Date(const std::string& text) {
  const QDate d = QDate::fromString(QString::fromStdString(text), QStringLiteral("yyyy/MM/dd"));
  return d.isValid() ? std::optional(d) : std::nullopt;
}

const QDate kToday(2026, 12, 9);

TEST(DemoDrive, ExaminationsOfTheMastersPatientsWithTheirPictures) {
  testing_support::TempDrive t;
  const demo::DemoContents contents{24, 10, 3, 7};
  int pictures = 0;
  ASSERT_EQ(demo::WriteDemoDrive(t.Root(), kToday, contents,
                                 [&](int done, int total) {
                                   EXPECT_EQ(total, 24);
                                   pictures = done;
                                 }),
            "");
  EXPECT_EQ(pictures, 24);

  const auto patients = ReadAll<PatientRecord>(t.Root(), kMasterFile);
  ASSERT_EQ(patients.size(), 10u);
  std::map<std::string, PatientRecord> byId;
  for (std::size_t i = 0; i < patients.size(); ++i) {
    const PatientRecord& p = patients[i];
    EXPECT_EQ(p.Get(PatientField::PatientId).size(), 6u);
    if (i > 0) {
      EXPECT_LT(patients[i - 1].Get(PatientField::PatientId), p.Get(PatientField::PatientId));
    }
    EXPECT_FALSE(p.Get(PatientField::Name).empty());
    EXPECT_FALSE(p.Get(PatientField::Reading).empty());
    EXPECT_TRUE(p.Get(PatientField::Sex) == "M" || p.Get(PatientField::Sex) == "F");
    EXPECT_TRUE(Date(p.Get(PatientField::BirthDate)).has_value());
    byId[p.Get(PatientField::PatientId)] = p;
  }

  std::set<std::string_view> vocabulary;
  for (auto list : {std::span<const std::string_view>(lookups::kBuiltinLeadSites),
                    std::span<const std::string_view>(lookups::kBuiltinFindings),
                    std::span<const std::string_view>(lookups::kBuiltinArrhythmias)}) {
    vocabulary.insert(list.begin(), list.end());
  }
  const auto exams = ReadAll<ExamRecord>(t.Root(), kDataFile);
  ASSERT_EQ(exams.size(), 24u);
  std::set<std::string> imageNames;
  QDate previous = kToday.addYears(-3);
  for (const ExamRecord& e : exams) {
    const std::optional<QDate> date = Date(e.Get(ExamField::ExamDate));
    ASSERT_TRUE(date.has_value());
    EXPECT_GT(*date, kToday.addYears(-3));
    EXPECT_LE(*date, kToday);
    EXPECT_GE(*date, previous);
    EXPECT_LE(date->dayOfWeek(), 5);
    previous = *date;
    ASSERT_TRUE(byId.contains(e.Get(ExamField::PatientId)));
    const PatientRecord& p = byId[e.Get(ExamField::PatientId)];
    EXPECT_EQ(e.Get(ExamField::Name), p.Get(PatientField::Name));
    EXPECT_EQ(e.Get(ExamField::Sex), p.Get(PatientField::Sex));
    // Whole in both: the departments fit the master's 10 bytes.
    EXPECT_EQ(e.Get(ExamField::Department), p.Get(PatientField::Department));
    EXPECT_EQ(e.Get(ExamField::Age),
              std::to_string(date->year() - Date(p.Get(PatientField::BirthDate))->year()));
    for (int i = 0; i < 5; ++i) {
      for (ExamField f : {LeadSiteField(i), FindingField(i), ArrhythmiaField(i)}) {
        if (!e.Get(f).empty()) {
          EXPECT_TRUE(vocabulary.contains(e.Get(f))) << e.Get(f);
        }
      }
    }
    const std::string image = e.Get(ExamField::ImageName);
    EXPECT_LE(image.size(), 10u);
    EXPECT_TRUE(imageNames.insert(image).second) << image;
    QImageReader reader(QString::fromStdString(
        platform::DataDrive(t.Root()).ToHost("C:\\VLN2\\GAZOU\\" + image + ".jpg").string()));
    EXPECT_EQ(reader.format(), QByteArray("jpeg")) << image;
    EXPECT_EQ(reader.size(), QSize(800, 548)) << image;
  }

  // The three built-in vocabularies and a department list, in their lengths.
  const auto leads = ReadAll<ListEntryRecord>(t.Root(), kLeadSiteFile);
  ASSERT_EQ(leads.size(), static_cast<std::size_t>(kLeadSiteEntries));
  EXPECT_EQ(leads[0].Get(ListEntryField::EntryText), lookups::kBuiltinLeadSites[0]);
  EXPECT_EQ(leads[lookups::kBuiltinLeadSites.size()].Get(ListEntryField::EntryText), "");
  EXPECT_EQ(ReadAll<ListEntryRecord>(t.Root(), kFindingFile).size(),
            static_cast<std::size_t>(kFindingEntries));
  EXPECT_EQ(
      ReadAll<ListEntryRecord>(t.Root(), kArrhythmiaFile).back().Get(ListEntryField::EntryText),
      "");
  const auto departments = ReadAll<ListEntryRecord>(t.Root(), kDepartmentFile);
  ASSERT_EQ(departments.size(), static_cast<std::size_t>(kDepartmentEntries));
  EXPECT_FALSE(departments[0].Get(ListEntryField::EntryText).empty());

  EXPECT_TRUE(std::filesystem::exists(t.Root() / "SCAN" / "scan01.jpg"));

  // The program opens it and finds every examination's patient.
  platform::PosixFileSystem fs{platform::DataDrive(t.Root())};
  Store s(fs);
  ASSERT_TRUE(s.StartUp().ok());
  EXPECT_EQ(s.RecordCount(), 24);
  EXPECT_EQ(s.PatientCount(), 10);
  for (const ExamRecord& e : exams) {
    EXPECT_GT(s.FindPatient(std::stof(e.Get(ExamField::PatientId))).position, 0)
        << e.Get(ExamField::PatientId);
  }
  s.CloseAllFiles();
}

TEST(DemoDrive, MadeOnceAndThenUsedAsTheUserLeftIt) {
  testing_support::TempDrive t;
  const std::filesystem::path root = t.Root() / "velunor2" / "demo";
  const demo::DemoContents small{6, 4, 3, 1};
  int calls = 0;
  ASSERT_EQ(demo::PrepareDemoDrive(
                root, kToday, [&](int, int) { ++calls; }, small),
            "");
  EXPECT_EQ(calls, 6);
  EXPECT_TRUE(std::filesystem::exists(root / ".velunor2-demo"));
  const std::filesystem::path list = platform::DataDrive(root).ToHost(kDepartmentFile);
  std::ofstream(list, std::ios::binary | std::ios::trunc) << std::string(20, ' ');

  ASSERT_EQ(demo::PrepareDemoDrive(
                root, kToday, [&](int, int) { ++calls; }, small),
            "");
  EXPECT_EQ(calls, 6);
  EXPECT_EQ(std::filesystem::file_size(list), 20u);

  // Nothing but the drive is left beside it.
  std::vector<std::string> beside;
  for (const auto& entry : std::filesystem::directory_iterator(root.parent_path())) {
    beside.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(beside, std::vector<std::string>{"demo"});
}

TEST(DemoDrive, AnInterruptedFirstStartIsMadeAgain) {
  testing_support::TempDrive t;
  const std::filesystem::path root = t.Root() / "demo";
  std::filesystem::create_directories(root / "VLN2");
  std::ofstream(root / "VLN2" / "VLN2.ekg") << "half";
  ASSERT_EQ(demo::PrepareDemoDrive(root, kToday, {}, demo::DemoContents{5, 3, 3, 2}), "");
  EXPECT_EQ(std::filesystem::file_size(root / "VLN2" / "VLN2.ekg"), 5 * kExamRecordLength);
  EXPECT_TRUE(std::filesystem::exists(root / ".velunor2-demo"));
}

TEST(DemoDrive, LiesInTheDataHomeApartFromTheUsersDrive) {
  setenv("XDG_DATA_HOME", "/xdg/data", 1);
  EXPECT_EQ(demo::DemoDriveRoot(), std::filesystem::path("/xdg/data/velunor2/demo"));
  EXPECT_NE(demo::DemoDriveRoot(), platform::DataDrive::ResolveRoot(0, nullptr));
  unsetenv("XDG_DATA_HOME");
}

}  // namespace
