#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "store/records.h"
#include "store/store.h"
#include "tests/support/fake_ui.h"
#include "tests/support/recording_printer.h"
#include "tests/support/temp_drive.h"

namespace images_test {

// Examination n: record number n as "000000", date 2005/03/dd, ID n, name
// 患者n, findings and arrhythmias of its own, image name IMGn.
store::ExamRecord Exam(int n);

// A fresh data drive, a store over it, the fake Ui (every box must be
// expected) and the recording printer.
class DriveTest : public ::testing::Test {
 protected:
  void TearDown() override;
  // Writes the data file (before the store starts).
  void WriteExams(const std::vector<store::ExamRecord>& records);
  // Examinations 1 ... count, those of `without` with no picture file.
  void WriteExamsWithPictures(int count, const std::vector<int>& without = {});
  // A JPEG of `width` x `height` in one colour as the image file `fileName`.
  void WritePicture(const std::string& fileName, int width = 64, int height = 40,
                    QColor colour = QColor(40, 160, 60));
  void Start() { ASSERT_TRUE(store.StartUp().ok()); }

  testing_support::TempDrive t;
  platform::PosixFileSystem files{t.Drive()};
  store::Store store{files};
  testing_support::FakeUi ui;
  testing_support::RecordingPrinter printer;
};

}  // namespace images_test
