#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "mainwin/main_window.h"
#include "platform/component.h"
#include "sortlib/zuvasortmem.h"
#include "store/store.h"
#include "store/text_format.h"
#include "tests/support/fake_ui.h"
#include "tests/support/records.h"
#include "tests/support/sort_component.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;

// The sort commands as the user reaches them: the shortcut typed in a field,
// and the form afterwards showing what is stored at its position.
TEST(Form1Sort, CtrlHSortsByIdAndReloadsTheShownRecord) {
  testing_support::TempDrive t;
  testing_support::SortComponent component(t.Root(), VELUNOR_SORT_LIBRARY);
  ASSERT_TRUE(component.Registered());
  std::vector<ExamRecord> records;
  for (const char* id : {"000300", "000100", "000200"}) {
    const int n = static_cast<int>(records.size()) + 1;
    records.push_back(testing_support::Exam(n)
                          .With(ExamField::PatientId, id)
                          .With(ExamField::Name, std::string("患者") + id)
                          .With(ExamField::ImageName, ""));
  }
  t.WriteBytes(kDataFile, testing_support::FileBytes(records));

  platform::PosixFileSystem files{t.Drive()};
  Store store{files};
  testing_support::FakeUi ui;
  sessions::ExamFormSession session(store);
  Form1 form(store, session, ui);
  form.Form_Load();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  ASSERT_EQ(form.Text1[1]->text(), QStringLiteral("000200"));
  ASSERT_EQ(form.Label14->text(), QStringLiteral("3"));

  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("終了。");
  form.Text1[0]->setFocus();
  QTest::keyClick(form.Text1[0], Qt::Key_H, Qt::ControlModifier);
  EXPECT_TRUE(ui.AllAnswered());
  EXPECT_EQ(form.Label14->text(), QStringLiteral("3"));
  EXPECT_EQ(form.Text1[1]->text(), QStringLiteral("000300"));
  EXPECT_EQ(form.Text1[2]->text(), QStringLiteral("患者000300"));
  EXPECT_EQ(t.ReadBytes(kDataFile).substr(16, 6), "000100");
  EXPECT_TRUE(ui.Unexpected().empty()) << ui.Unexpected().front();
  store.CloseAllFiles();
}

}  // namespace
