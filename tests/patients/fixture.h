#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "mainwin/main_window.h"
#include "patients/patient_windows.h"
#include "store/records.h"
#include "store/store.h"
#include "tests/support/fake_ui.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/scripted_sort.h"
#include "tests/support/temp_drive.h"

namespace patients_test {

// The master of `ids` in this order, each patient as testing_support::Patient
// makes it (name "患者<id>"), RecordNo blank.
std::string MasterBytes(const std::vector<int>& ids);
// The IDs of a master's bytes, in file order.
std::vector<std::string> IdsOf(const std::string& bytes);
// The RecordNo fields of a master's bytes, as stored.
std::vector<std::string> RecordNosOf(const std::string& bytes);

// A fresh data drive under a file system that fails on request, a store on
// it, the fake Ui (every box must be expected) and, after Start, the main
// window with its patient windows sorting through a scripted job.
class PatientsTest : public ::testing::Test {
 protected:
  void TearDown() override;

  void WriteMaster(const std::vector<int>& ids);
  void WriteDepartments(const std::vector<std::string>& entries);
  std::string Master() const { return t.ReadBytes(store::kMasterFile); }
  std::string Scratch() const { return t.ReadBytes(store::kScratchFile); }

  // The main window started (store start-up included) and shown.
  Form1& Start();
  // Lets queued leave checks and focus changes run.
  static void Settle();
  // The name the main window's ID lookup fills in for `id` typed in the
  // examination form's ID field (empty: nobody found).
  QString MainWindowFinds(const QString& id);

  testing_support::TempDrive t;
  testing_support::FaultyFileSystem files{t.Drive()};
  store::Store store{files};
  testing_support::FakeUi ui;
  testing_support::ScriptedSort sort;
  std::unique_ptr<Form1> form;
  PatientWindows* patients = nullptr;
};

}  // namespace patients_test
