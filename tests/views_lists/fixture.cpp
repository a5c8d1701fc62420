#include "tests/views_lists/fixture.h"

#include <QImage>

#include "store/text_format.h"

#include "tests/support/records.h"

namespace lists_test {

using namespace store;

ExamRecord Exam(int n, const std::string& name, const std::string& comment) {
  return testing_support::Exam(n)
      .WithoutFindings()
      .With(ExamField::ExamDate, "2004/01/" + FormatNumber(n % 28 + 1, "00"))
      .With(ExamField::PatientId, FormatNumber(n, "000000"))
      .With(ExamField::Name, name.empty() ? "患者" + std::to_string(n) : name)
      .With(ExamField::Age, std::to_string(20 + n % 50))
      .With(ExamField::HeartRate, std::to_string(60 + n % 40))
      .With(ExamField::Comment, comment);
}

void DriveTest::WriteExams(const std::vector<ExamRecord>& records) {
  std::string bytes;
  for (const ExamRecord& r : records) bytes += r.Bytes();
  t.WriteBytes(kDataFile, bytes);
}

void DriveTest::WriteExams(int count) {
  std::vector<ExamRecord> records;
  for (int n = 1; n <= count; ++n) records.push_back(Exam(n));
  WriteExams(records);
}

void DriveTest::WritePicture(const std::string& fileName) {
  std::filesystem::create_directories(t.Host(kImageDir));
  QImage picture(8, 6, QImage::Format_RGB32);
  picture.fill(Qt::green);
  ASSERT_TRUE(picture.save(
      QString::fromStdString(t.Host(std::string(kImageDir) + fileName).string()), "JPG"));
}

void DriveTest::WriteList(const char* path, const std::vector<std::string>& entries, int size) {
  std::string bytes;
  for (int i = 0; i < size; ++i) {
    ListEntryRecord e;
    if (i < static_cast<int>(entries.size())) e.Set(ListEntryField::EntryText, entries[i]);
    bytes += e.Bytes();
  }
  t.WriteBytes(path, bytes);
}

}  // namespace lists_test
