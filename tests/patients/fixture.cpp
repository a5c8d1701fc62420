#include "tests/patients/fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "store/records.h"
#include "tests/support/records.h"

namespace patients_test {

using namespace store;

std::string MasterBytes(const std::vector<int>& ids) {
  std::string bytes;
  for (int id : ids) bytes += testing_support::Patient(id).Bytes();
  return bytes;
}

std::vector<std::string> IdsOf(const std::string& bytes) {
  std::vector<std::string> ids;
  for (const PatientRecord& p : testing_support::PatientsOf(bytes)) {
    ids.push_back(p.Get(PatientField::PatientId));
  }
  return ids;
}

std::vector<std::string> RecordNosOf(const std::string& bytes) {
  std::vector<std::string> numbers;
  for (const PatientRecord& p : testing_support::PatientsOf(bytes)) {
    numbers.emplace_back(p.Raw(PatientField::RecordNo));
  }
  return numbers;
}

void PatientsTest::TearDown() {
  for (const std::string& u : ui.Unexpected()) ADD_FAILURE() << u;
  EXPECT_TRUE(ui.AllAnswered());
  form.reset();
  Settle();
  store.CloseAllFiles();
}

void PatientsTest::WriteMaster(const std::vector<int>& ids) {
  t.WriteBytes(kMasterFile, MasterBytes(ids));
}

void PatientsTest::WriteDepartments(const std::vector<std::string>& entries) {
  std::string bytes;
  for (int i = 0; i < kDepartmentEntries; ++i) {
    ListEntryRecord e;
    if (i < static_cast<int>(entries.size())) e.Set(ListEntryField::EntryText, entries[i]);
    bytes += e.Bytes();
  }
  t.WriteBytes(kDepartmentFile, bytes);
}

Form1& PatientsTest::Start() {
  form = std::make_unique<Form1>(store, ui);
  form->Today = [] { return QDate(2006, 1, 1); };
  form->Form_Load();
  QApplication::setActiveWindow(form.get());
  form->activateWindow();
  (void)QTest::qWaitForWindowActive(form.get());
  Settle();
  patients = form->findChild<PatientWindows*>();
  EXPECT_NE(patients, nullptr);
  if (patients != nullptr) patients->Session().SetSortJobs(sort.Factory());
  return *form;
}

void PatientsTest::Settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

QString PatientsTest::MainWindowFinds(const QString& id) {
  form->StartNewExamination();
  form->Text1[1]->setText(id);
  (void)form->LookUpPatientId();
  return form->Text1[2]->text();
}

}  // namespace patients_test
