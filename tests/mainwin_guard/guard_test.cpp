// While a long operation runs, no other command reaches the store: the sort
// component lets pending events run (so that its stop button acts), and those
// events must not start a second sort, a delete or a step to another record.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

#include "mainwin/main_window.h"
#include "platform/component.h"
#include "sortlib/zuvasortmem.h"
#include "store/long_operation.h"
#include "store/store.h"
#include "store/text_format.h"
#include "tests/support/fake_ui.h"
#include "tests/support/sort_component.h"
#include "tests/support/temp_drive.h"
#include "widgets/progress_window.h"

namespace {

using namespace store;

std::string Exams(const std::vector<std::string>& ids) {
  std::string bytes;
  int n = 0;
  for (const std::string& id : ids) {
    ExamRecord r;
    r.Set(ExamField::RecordNo, FormatNumber(++n, "000000"));
    r.Set(ExamField::PatientId, id);
    r.Set(ExamField::ExamDate, "2006/01/0" + std::to_string(10 - n));
    r.Set(ExamField::Name, "患者" + id);
    bytes += r.Bytes();
  }
  return bytes;
}

class GuardTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(component.Registered()); }
  void TearDown() override {
    for (const std::string& u : ui.Unexpected()) ADD_FAILURE() << u;
    EXPECT_TRUE(ui.AllAnswered());
    store.CloseAllFiles();
  }

  testing_support::TempDrive t;
  testing_support::SortComponent component{t.Root(), VELUNOR_SORT_LIBRARY};
  platform::PosixFileSystem files{t.Drive()};
  Store store{files};
  testing_support::FakeUi ui;
};

TEST_F(GuardTest, CommandsFiredInsideASortDoNothing) {
  t.WriteBytes(kDataFile, Exams({"000300", "000100", "000400", "000200"}));
  sessions::ExamFormSession session(store);
  Form1 form(store, session, ui);
  form.Form_Load();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

  // Every time the progress bar moves, the user presses what he can.
  int fired = 0;
  QObject::connect(form.ProgressDialog().ProgressBar1, &QProgressBar::valueChanged, [&] {
    ++fired;
    form.D_id->trigger();
    form.D_kensabi->trigger();
    form.sakujyo->trigger();
    form.ALL_sakujyo->trigger();
    form.maedata->trigger();
    QTest::keyClick(form.Text1[0], Qt::Key_H, Qt::ControlModifier);
    QTest::keyClick(form.Text1[0], Qt::Key_G, Qt::ControlModifier);
    QTest::keyClick(form.Text1[0], Qt::Key_B, Qt::AltModifier);
  });

  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("終了。");
  form.D_id->trigger();
  EXPECT_GT(fired, 0);

  const std::string bytes = t.ReadBytes(kDataFile);
  ASSERT_EQ(bytes.size(), 4 * kExamRecordLength);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(bytes.substr(i * kExamRecordLength + 16, 6), FormatNumber(100 * (i + 1), "000000"));
  }
  EXPECT_EQ(form.Label14->text(), QStringLiteral("4"));
  EXPECT_FALSE(store.LongOperationRunning());

  // Once the sort has ended, the commands work again.
  form.maedata->trigger();
  EXPECT_EQ(form.Label14->text(), QStringLiteral("3"));
}

TEST_F(GuardTest, OnlyOneLongOperationAtATime) {
  bool running = false;
  int changes = 0;
  store.SetOnLongOperation([&](bool r) {
    running = r;
    ++changes;
  });
  {
    LongOperation outer(store);
    ASSERT_TRUE(outer);
    EXPECT_TRUE(running);
    LongOperation inner(store);
    EXPECT_FALSE(inner);
    EXPECT_TRUE(store.LongOperationRunning());
  }
  EXPECT_FALSE(store.LongOperationRunning());
  EXPECT_FALSE(running);
  EXPECT_EQ(changes, 2);
  store.SetOnLongOperation(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
