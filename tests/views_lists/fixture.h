#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <vector>

#include "platform/progress.h"
#include "store/records.h"
#include "store/store.h"
#include "tests/support/fake_ui.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/temp_drive.h"

namespace lists_test {

// Examination n as the tests write it: date 2004/01/dd, ID n, name 患者n,
// image name IMGn; `name` and `comment` replace the name and the comment.
store::ExamRecord Exam(int n, const std::string& name = {}, const std::string& comment = {});

// What the progress window was told, and whether a long operation held the
// store meanwhile.
class RecordingProgress : public platform::Progress {
 public:
  explicit RecordingProgress(store::Store& store) : store_(store) {}
  void BeginPhase(std::string_view caption, int maximum) override {
    captions.emplace_back(caption);
    this->maximum = maximum;
    guarded = store_.LongOperationRunning();
    shown = true;
  }
  void Advance(int value) override { last = value; }
  void Hide() override { shown = false; }

  std::vector<std::string> captions;
  int maximum = -1, last = -1;
  bool guarded = false, shown = false;

 private:
  store::Store& store_;
};

// A fresh data drive with a store over a file system that can be told to
// fail, and the fake Ui; every box must be expected.
class DriveTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& u : ui.Unexpected()) ADD_FAILURE() << u;
    EXPECT_TRUE(ui.AllAnswered());
    store.CloseAllFiles();
  }
  // Writes the data file (before the store starts).
  void WriteExams(const std::vector<store::ExamRecord>& records);
  void WriteExams(int count);
  // A small JPEG as the image file `fileName` of the image directory.
  void WritePicture(const std::string& fileName);
  // Writes a lookup list file with the given entries (the rest blank).
  void WriteList(const char* path, const std::vector<std::string>& entries, int size);

  testing_support::TempDrive t;
  testing_support::FaultyFileSystem files{t.Drive()};
  store::Store store{files};
  testing_support::FakeUi ui;
};

// The texts of a column of row controls.
template <typename Rows>
std::vector<QString> Texts(const Rows& rows) {
  std::vector<QString> texts;
  for (const auto* w : rows) texts.push_back(w->text());
  return texts;
}

}  // namespace lists_test
