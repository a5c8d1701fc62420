#include "tests/views_images/fixture.h"

#include <QImage>

#include "store/text_format.h"

namespace images_test {

using namespace store;

ExamRecord Exam(int n) {
  ExamRecord r;
  r.Set(ExamField::RecordNo, FormatNumber(n, "000000"));
  r.Set(ExamField::ExamDate, "2005/03/" + FormatNumber(n % 28 + 1, "00"));
  r.Set(ExamField::PatientId, FormatNumber(n, "000000"));
  r.Set(ExamField::Name, "患者" + std::to_string(n));
  r.Set(ExamField::Sex, n % 2 ? "M" : "F");
  r.Set(ExamField::Age, std::to_string(30 + n));
  r.Set(ExamField::HeartRate, std::to_string(60 + n));
  r.Set(ExamField::Department, "検査部" + std::to_string(n));
  r.Set(ExamField::Comment, "所見 あり\r\n経過観察" + std::to_string(n));
  for (int i = 0; i < 5; ++i) {
    r.Set(LeadSiteField(i), "V" + std::to_string(i + 1));
    r.Set(FindingField(i), "所見" + std::to_string(n) + "-" + std::to_string(i));
    r.Set(ArrhythmiaField(i), "不整脈" + std::to_string(n) + "-" + std::to_string(i));
  }
  r.Set(ExamField::ImageName, "IMG" + std::to_string(n));
  return r;
}

void DriveTest::TearDown() {
  for (const std::string& u : ui.Unexpected()) ADD_FAILURE() << u;
  EXPECT_TRUE(ui.AllAnswered());
  store.CloseAllFiles();
}

void DriveTest::WriteExams(const std::vector<ExamRecord>& records) {
  std::string bytes;
  for (const ExamRecord& r : records) bytes += r.Bytes();
  t.WriteBytes(kDataFile, bytes);
}

void DriveTest::WriteExamsWithPictures(int count, const std::vector<int>& without) {
  std::vector<ExamRecord> records;
  for (int n = 1; n <= count; ++n) {
    records.push_back(Exam(n));
    if (std::find(without.begin(), without.end(), n) == without.end()) {
      WritePicture("IMG" + std::to_string(n) + ".jpg");
    }
  }
  WriteExams(records);
}

void DriveTest::WritePicture(const std::string& fileName, int width, int height, QColor colour) {
  std::filesystem::create_directories(t.Host(kImageDir));
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(colour);
  ASSERT_TRUE(picture.save(
      QString::fromStdString(t.Host(std::string(kImageDir) + fileName).string()), "JPG", 95));
}

}  // namespace images_test
