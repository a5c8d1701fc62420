#pragma once

#include <QDate>
#include <QObject>
#include <memory>
#include <string>

#include "mainwin/main_window.h"
#include "platform/file_system.h"
#include "store/records.h"
#include "store/store.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_drive.h"

namespace mainwin_test {

// The unexpected boxes, one a line.
std::string Describe(const std::vector<std::string>& lines);

// One examination as the tests write it: record n, image name "IMG<n>".
store::ExamRecord Exam(int n);

// A patient of the master.
store::PatientRecord Patient(const std::string& id, const std::string& name, const std::string& sex,
                             const std::string& birth, const std::string& department);

// A fresh data drive, a store over it, the fake Ui and (after Start) the main
// window on it.
class Fixture {
 public:
  Fixture();
  ~Fixture();

  // Writes `count` examinations into "VLN2.ekg" (before Start).
  void WriteExams(int count);
  // Writes a small JPEG for the image name.
  void WritePicture(const std::string& imageName);
  // Writes the master (ascending IDs).
  void WriteMaster(const std::vector<store::PatientRecord>& patients);
  // Writes a lookup list file with the given entries (the rest blank).
  void WriteList(const char* path, const std::vector<std::string>& entries, int size);

  // Builds the window, runs its start-up and waits until it is active.
  Form1& Start(QDate today = QDate(2006, 1, 1));

  // Lets the queued leave checks and focus changes run.
  static void Settle();

  testing_support::TempDrive drive;
  std::unique_ptr<platform::PosixFileSystem> fs;
  std::unique_ptr<store::Store> store;
  std::unique_ptr<sessions::ExamFormSession> session;  // the window's
  testing_support::FakeUi ui;
  std::unique_ptr<Form1> form;
};

}  // namespace mainwin_test
