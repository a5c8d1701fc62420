#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "store/records.h"
#include "store/store.h"
#include "tests/support/fake_ui.h"
#include "tests/support/recording_printer.h"
#include "tests/support/temp_drive.h"

namespace print_test {

// Examination n as the tests write it: record number n, date 2006/01/<n>,
// ID 100000 + n, name "患者<n>", department "総務部", heart rate 60 + n.
store::ExamRecord Exam(int n);

// Writes the records into a file of the drive.
void WriteRecords(const testing_support::TempDrive& drive, const char* path,
                  const std::vector<store::ExamRecord>& records);

// The output of a shell command (stdout), or "<failed>" when it failed.
std::string Shell(const std::string& command);

// The text of a PDF as pdftotext -layout reads it.
std::string PdfText(const std::filesystem::path& pdf);
// The page count pdfinfo reports.
int PdfPages(const std::filesystem::path& pdf);

// A drive, a store over it, the fake Ui and the recording printer.
struct Fixture {
  Fixture();
  ~Fixture();

  testing_support::TempDrive drive;
  platform::PosixFileSystem files{drive.Drive()};
  store::Store store{files};
  testing_support::FakeUi ui;
  testing_support::RecordingPrinter printer;

  // Boxes nobody expected, one a line.
  std::string Unexpected() const;
};

}  // namespace print_test
