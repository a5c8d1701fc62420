// 一覧, 検索 and 一覧表示切替え of the main window.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <memory>

#include "forms/record_transfer.h"
#include "mainwin/main_window.h"
#include "platform/error_text.h"
#include "store/long_operation.h"
#include "tests/support/recording_printer.h"
#include "tests/views_lists/fixture.h"
#include "views/list_view1.h"
#include "views/list_view2.h"
#include "views/print_range_dialog.h"
#include "views/search_dialog.h"

namespace {

using namespace store;

class ListMenusTest : public lists_test::DriveTest {
 protected:
  void TearDown() override {
    form.reset();
    DriveTest::TearDown();
  }
  void Start(int exams) {
    WriteExams(exams);
    for (int n = 1; n <= exams; ++n) WritePicture("IMG" + std::to_string(n) + ".jpg");
    form = std::make_unique<Form1>(store, ui);
    form->Form_Load();
  }
  Form5* View1() { return form->findChild<Form5*>(QStringLiteral("Form5")); }
  Form13* View2() { return form->findChild<Form13*>(QStringLiteral("Form13")); }
  Dialog1* Search() { return form->findChild<Dialog1*>(QStringLiteral("Dialog1")); }

  std::unique_ptr<Form1> form;
};

TEST_F(ListMenusTest, ListWithoutExaminations) {
  Start(0);
  ui.Expect("保存データは０件です。");
  form->itiran->trigger();
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);
  EXPECT_EQ(View1(), nullptr);
  ui.Expect("保存データは０件です。");
  form->kensaku->trigger();
  EXPECT_EQ(Search(), nullptr);
}

TEST_F(ListMenusTest, ListRowToMainWindowAndBack) {
  Start(20);
  const int lowered = ui.lowerCalls;
  form->itiran->trigger();
  ASSERT_NE(View1(), nullptr);
  EXPECT_GT(ui.lowerCalls, lowered);
  EXPECT_TRUE(View1()->isVisible());
  EXPECT_EQ(t.ReadBytes(kWorkFile), t.ReadBytes(kDataFile));
  EXPECT_EQ(View1()->Label9->text(), QStringLiteral("データ数：20"));
  EXPECT_FALSE(store.LongOperationRunning());

  View1()->Command2_Click();
  QTest::mouseClick(View1()->Label5[2], Qt::LeftButton);
  EXPECT_FALSE(View1()->isVisible());
  EXPECT_EQ(form->Label14->text(), QStringLiteral("18"));
  EXPECT_EQ(form->Slider1->value(), 18);
  EXPECT_EQ(form->Text1[2]->text(), QStringLiteral("患者18"));
  EXPECT_GT(form->Combo5[0]->count(), 0);  // the lists are filled

  // 一覧表示切替え brings the list back as it was left.
  form->C_ITIRAN->trigger();
  EXPECT_TRUE(View1()->isVisible());
  EXPECT_EQ(View1()->Label10->text(), QStringLiteral("2/2(Page)"));
  EXPECT_EQ(View1()->Label11[0]->text(), QStringLiteral("16"));
}

TEST_F(ListMenusTest, ADeletionClosesTheOpenListAtOnce) {
  Start(20);
  form->itiran->trigger();
  ASSERT_TRUE(View1()->isVisible());
  // Moving through the records leaves the list as it is.
  form->ShowPreviousRecord();
  EXPECT_TRUE(View1()->isVisible());
  // Deleting rebuilds the data file: the list of 20 closes without a click.
  ui.Expect("このデータを削除しますか？", platform::kAnswerYes);
  ui.Expect("削除終了。");
  form->sakujyo->trigger();
  EXPECT_FALSE(View1()->isVisible());
  EXPECT_FALSE(View2()->isVisible());
  EXPECT_EQ(store.RecordCount(), 19);
}

TEST_F(ListMenusTest, SwitchingBackWithoutAList) {
  Start(3);
  ui.Expect("表示するデータがありません。");
  form->C_ITIRAN->trigger();
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);
  form->itiran->trigger();
  View1()->Command3_Click();
  ui.Expect("表示するデータがありません。");
  form->C_ITIRAN->trigger();
  EXPECT_FALSE(View1()->isVisible());
}

TEST_F(ListMenusTest, AWorkingFileNoListOfThisRunShowsIsMadeAfresh) {
  Start(4);
  t.WriteBytes(kWorkFile, std::string(lists_test::Exam(9).Bytes()));
  form->C_ITIRAN->trigger();
  ASSERT_NE(View1(), nullptr);
  EXPECT_TRUE(View1()->isVisible());
  EXPECT_EQ(View1()->Label9->text(), QStringLiteral("データ数：4"));
  EXPECT_EQ(t.ReadBytes(kWorkFile), t.ReadBytes(kDataFile));
}

TEST_F(ListMenusTest, SwitchingBackWithoutExaminations) {
  Start(0);
  t.WriteBytes(kWorkFile, std::string(lists_test::Exam(9).Bytes()));
  ui.Expect("データがありません。");
  form->C_ITIRAN->trigger();
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);
}

TEST_F(ListMenusTest, SearchEndsTheListAndOpensAnEmptyDialog) {
  Start(5);
  form->itiran->trigger();
  form->kensaku->trigger();
  ASSERT_NE(Search(), nullptr);
  EXPECT_FALSE(files.Exists(kWorkFile));
  EXPECT_FALSE(View1()->isVisible());
  EXPECT_TRUE(Search()->isVisible());
  EXPECT_EQ(Search()->focusWidget(), Search()->Text1[0]);
  // The main window's refills of the arrhythmia list reach the dialog's.
  EXPECT_EQ(form->SearchCombo3, Search()->Combo3);
  WriteList(kArrhythmiaFile, {"心房細動"}, 45);
  ASSERT_TRUE(store.OpenAllFiles().ok());
  FillArrhythmiaLists(store, *form);
  EXPECT_EQ(Search()->Combo3->count(), 45);
  EXPECT_EQ(Search()->Combo3->itemText(0), QStringLiteral("心房細動"));

  // A search, then the list brought back after a row was opened.
  Search()->Text2->setText(QStringLiteral("000004"));
  Search()->OKButton_Click();
  EXPECT_EQ(View1()->Label9->text(), QStringLiteral("データ数：1"));
  View1()->Row_Click(0);
  EXPECT_EQ(form->Label14->text(), QStringLiteral("4"));
  form->C_ITIRAN->trigger();
  EXPECT_TRUE(View1()->isVisible());
  EXPECT_EQ(View1()->Label9->text(), QStringLiteral("データ数：1"));
}

TEST_F(ListMenusTest, AFailedCopyShowsNoList) {
  Start(5);
  files.FailNthWrite(1);
  ui.Expect(platform::ErrorText(61));
  form->itiran->trigger();
  EXPECT_FALSE(files.Exists(kWorkFile));
  EXPECT_TRUE(View1() == nullptr || !View1()->isVisible());
  EXPECT_FALSE(store.LongOperationRunning());
}

TEST_F(ListMenusTest, ARunThatMayNotWriteTheDriveMakesNoList) {
  WriteExams(5);
  for (int n = 1; n <= 5; ++n) WritePicture("IMG" + std::to_string(n) + ".jpg");
  ASSERT_TRUE(store.StartUp().ok());  // an earlier run made the files
  store.CloseAllFiles();
  platform::PosixFileSystem plain{t.Drive()};
  Store readOnly{plain};
  readOnly.SetReadOnlySession(true);
  Form1 window(readOnly, ui);
  window.Form_Load();
  for (QAction* command : {window.itiran, window.kensaku, window.C_ITIRAN}) {
    ui.Expect("このデータドライブには書き込めないため、一覧・検索はできません。");
    command->trigger();
  }
  EXPECT_FALSE(files.Exists(kWorkFile));
  EXPECT_EQ(window.findChild<Form5*>(QStringLiteral("Form5")), nullptr);
  EXPECT_EQ(window.findChild<Dialog1*>(QStringLiteral("Dialog1")), nullptr);
  readOnly.CloseAllFiles();
}

TEST_F(ListMenusTest, ThePrintButtonsOpenThePrintRangeDialog) {
  WriteExams(3);
  testing_support::RecordingPrinter printer;
  form = std::make_unique<Form1>(store, ui, &printer);
  form->Form_Load();
  form->itiran->trigger();
  ASSERT_TRUE(View1()->Command4->isEnabled());
  ASSERT_TRUE(View2()->Command4->isEnabled());
  View1()->Command4->click();
  auto* dialog4 = form->findChild<Dialog4*>();
  ASSERT_NE(dialog4, nullptr);
  EXPECT_TRUE(dialog4->isVisible());
  EXPECT_TRUE(dialog4->Option1->isChecked());
  EXPECT_TRUE(dialog4->Text1[0]->isVisible());
}

TEST_F(ListMenusTest, NoListCommandStartsDuringALongOperation) {
  Start(5);
  {
    LongOperation operation(store);
    form->itiran->trigger();
    form->kensaku->trigger();
    form->C_ITIRAN->trigger();
  }
  EXPECT_FALSE(files.Exists(kWorkFile));
  EXPECT_EQ(Search(), nullptr);
  EXPECT_TRUE(View1() == nullptr || !View1()->isVisible());
}

}  // namespace
