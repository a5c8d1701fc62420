#include "tests/mainwin/fixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QTest>

#include "store/text_format.h"

#include "tests/support/records.h"

namespace mainwin_test {

std::string Describe(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

store::ExamRecord Exam(int n) {
  using F = store::ExamField;
  return testing_support::Exam(n)
      .With(F::RecordNo, std::to_string(n))
      .With(F::ExamDate, store::FormatDate(2006, 1 + (n - 1) / 28, (n - 1) % 28 + 1))
      .With(F::PatientId, std::to_string(100000 + n))
      .WithoutFindings()
      .With(store::LeadSiteField(0), "V" + std::to_string(n % 6 + 1))
      .With(store::FindingField(1), "ST低下")
      .With(store::ArrhythmiaField(4), "心房細動");
}

store::PatientRecord Patient(const std::string& id, const std::string& name, const std::string& sex,
                             const std::string& birth, const std::string& department) {
  using F = store::PatientField;
  return testing_support::Patient(id)
      .With(F::Name, name)
      .With(F::Sex, sex)
      .With(F::BirthDate, birth)
      .With(F::Department, department);
}

Fixture::Fixture()
    : fs(std::make_unique<platform::PosixFileSystem>(drive.Drive())),
      store(std::make_unique<store::Store>(*fs)),
      session(std::make_unique<sessions::ExamFormSession>(*store)) {}

Fixture::~Fixture() {
  form.reset();
  Settle();
}

void Fixture::WriteExams(int count) {
  std::string bytes;
  for (int n = 1; n <= count; ++n) bytes += Exam(n).Bytes();
  drive.WriteBytes(store::kDataFile, bytes);
}

void Fixture::WritePicture(const std::string& imageName) {
  std::filesystem::path host = drive.Host(std::string(store::kImageDir) + imageName + ".jpg");
  std::filesystem::create_directories(host.parent_path());
  QImage image(60, 40, QImage::Format_RGB32);
  image.fill(QColor(255, 230, 235));
  image.save(QString::fromStdString(host.string()), "JPG", 50);
}

void Fixture::WriteMaster(const std::vector<store::PatientRecord>& patients) {
  std::string bytes;
  for (const store::PatientRecord& p : patients) bytes += p.Bytes();
  drive.WriteBytes(store::kMasterFile, bytes);
}

void Fixture::WriteList(const char* path, const std::vector<std::string>& entries, int size) {
  std::string bytes;
  for (int i = 0; i < size; ++i) {
    store::ListEntryRecord e;
    if (i < static_cast<int>(entries.size())) e.Set(store::ListEntryField::EntryText, entries[i]);
    bytes += e.Bytes();
  }
  drive.WriteBytes(path, bytes);
}

Form1& Fixture::Start(QDate today) {
  form = std::make_unique<Form1>(*store, *session, ui);
  form->Today = [today] { return today; };
  form->Form_Load();
  QApplication::setActiveWindow(form.get());
  form->activateWindow();
  if (!QTest::qWaitForWindowActive(form.get())) qWarning("the main window did not become active");
  Settle();
  return *form;
}

void Fixture::Settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

}  // namespace mainwin_test
