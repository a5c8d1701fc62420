// The search dialog: its boxes, their checks, OK's checks and the search
// shown in list view 1.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "platform/error_text.h"
#include "store/list_pages.h"
#include "store/text_format.h"
#include "tests/views_lists/fixture.h"
#include "views/list_view1.h"
#include "views/list_view2.h"
#include "views/list_views.h"
#include "views/search_dialog.h"

namespace {

using namespace store;
using lists_test::Exam;

class Dialog1Test : public lists_test::DriveTest {
 protected:
  void SetUp() override {
    std::vector<ExamRecord> records;
    for (int n = 1; n <= 40; ++n) {
      // 20 names beginning with 山, one that only contains it.
      const std::string name = n % 2 == 0 ? "山田" + std::to_string(n) : n == 5 ? "小山" : "田中";
      records.push_back(Exam(n, name));
    }
    // Arrhythmias of the atrium in two slots, one of the ventricle.
    records[2].Set(ArrhythmiaField(1), "心房細動");
    records[12].Set(ArrhythmiaField(3), "心房粗動");
    records[22].Set(ArrhythmiaField(2), "心室性期外収縮");
    WriteExams(records);
    WriteList(kDepartmentFile, {"総務部", "", "経理部"}, 45);
    WriteList(kArrhythmiaFile, {"心房細動", "心房粗動"}, 45);
    Start();
  }
  void Start() {
    ASSERT_TRUE(store.StartUp().ok());
    lists = std::make_unique<ListViews>(session, ui, &owner);
    dialog = std::make_unique<Dialog1>(session, ui, progress, *lists, &owner);
    dialog->ResetSearchDialog();
    dialog->show();
    dialog->activateWindow();
    QApplication::setActiveWindow(dialog.get());
    dialog->Text1[0]->setFocus();
  }
  // Types into a box and leaves it with Tab, letting its check run.
  void TypeAndLeave(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->setText(text);
    QTest::keyClick(box, Qt::Key_Tab);
    QCoreApplication::processEvents();
  }
  QWidget* Focus() { return QApplication::focusWidget(); }
  // Types text a key at a time, as the input method hands over each character.
  static void TypeKeys(QWidget* box, const QString& text) {
    for (const QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(box, &press);
      QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(box, &release);
    }
    QCoreApplication::processEvents();
  }

  sessions::ExamListSession session{store};
  QWidget owner;
  lists_test::RecordingProgress progress{store};
  std::unique_ptr<ListViews> lists;
  std::unique_ptr<Dialog1> dialog;
};

TEST_F(Dialog1Test, ResetFillsTheListsFromTheirFiles) {
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("検索条件"));
  EXPECT_EQ(dialog->Note->text(), QStringLiteral("1項目以上入力"));
  EXPECT_EQ(dialog->OKButton->text(), QStringLiteral("OK"));
  EXPECT_EQ(dialog->Command1->text(), QStringLiteral("クリア"));
  EXPECT_EQ(dialog->CancelButton->text(), QStringLiteral("ｷｬﾝｾﾙ"));
  ASSERT_EQ(dialog->Combo1->count(), 2);
  EXPECT_EQ(dialog->Combo1->itemText(1), QStringLiteral("F"));
  EXPECT_EQ(dialog->Combo1->currentText(), QString());
  ASSERT_EQ(dialog->Combo2->count(), 45);
  EXPECT_EQ(dialog->Combo2->itemText(2), QStringLiteral("経理部"));
  EXPECT_EQ(dialog->Combo2->itemText(1), QString());
  ASSERT_EQ(dialog->Combo3->count(), 45);
  EXPECT_EQ(dialog->Combo3->itemText(1), QStringLiteral("心房粗動"));
  // クリア empties every box and refills the lists once.
  dialog->Text3->setText(QStringLiteral("山"));
  dialog->Combo3->setEditText(QStringLiteral("心房"));
  dialog->Command1_Click();
  EXPECT_EQ(dialog->Text3->text(), QString());
  EXPECT_EQ(dialog->Combo3->currentText(), QString());
  EXPECT_EQ(dialog->Combo3->count(), 45);
  EXPECT_EQ(Focus(), dialog->Text1[0]);
}

TEST_F(Dialog1Test, EnterMovesOnInTabOrder) {
  const std::vector<QWidget*> order = {
      dialog->Text1[0], dialog->Text1[1], dialog->Text1[2], dialog->Text2,  dialog->Text3,
      dialog->Combo1,   dialog->Text1[3], dialog->Text1[4], dialog->Combo2, dialog->Combo3};
  dialog->Text1[0]->setFocus();
  for (std::size_t i = 0; i + 1 < order.size(); ++i) {
    QTest::keyClick(Focus(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(Focus(), order[i + 1]) << i;
  }
}

TEST_F(Dialog1Test, TheNameBoxAloneTakesTheInputMethod) {
  EXPECT_TRUE(dialog->Text3->testAttribute(Qt::WA_InputMethodEnabled));
  EXPECT_FALSE(dialog->Text3->inputMethodHints() & Qt::ImhPreferLatin);
  for (QLineEdit* box : dialog->Text1) EXPECT_FALSE(box->testAttribute(Qt::WA_InputMethodEnabled));
  EXPECT_FALSE(dialog->Text2->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(Dialog1Test, YearBoxWantsFourCharacters) {
  ui.Expect("不正な入力です。");
  TypeAndLeave(dialog->Text1[0], QStringLiteral("200"));
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);
  EXPECT_EQ(dialog->Text1[0]->text(), QString());
  EXPECT_EQ(Focus(), dialog->Text1[0]);
  TypeAndLeave(dialog->Text1[0], QStringLiteral("2004"));
  EXPECT_EQ(dialog->Text1[0]->text(), QStringLiteral("2004"));
  EXPECT_EQ(Focus(), dialog->Text1[1]);
}

TEST_F(Dialog1Test, MonthAndDayBoxes) {
  ui.Expect("年を入力してください。");
  TypeAndLeave(dialog->Text1[1], QStringLiteral("3"));
  EXPECT_EQ(Focus(), dialog->Text1[0]);
  dialog->Text1[0]->setText(QStringLiteral("2004"));
  ui.Expect("入力が不正です。");
  TypeAndLeave(dialog->Text1[1], QStringLiteral("13"));
  EXPECT_EQ(dialog->Text1[1]->text(), QStringLiteral("13"));
  EXPECT_EQ(Focus(), dialog->Text1[1]);
  TypeAndLeave(dialog->Text1[1], QStringLiteral("3"));
  EXPECT_EQ(dialog->Text1[1]->text(), QStringLiteral("03"));
  TypeAndLeave(dialog->Text1[2], QStringLiteral("5"));
  EXPECT_EQ(dialog->Text1[2]->text(), QStringLiteral("05"));
  ui.Expect("入力が不正です。");
  TypeAndLeave(dialog->Text1[2], QStringLiteral("32"));
  EXPECT_EQ(Focus(), dialog->Text1[2]);
}

TEST_F(Dialog1Test, FullWidthDigitsInTheDateBoxesAreDigits) {
  TypeAndLeave(dialog->Text1[0], QStringLiteral("２００４"));
  EXPECT_EQ(dialog->Text1[0]->text(), QStringLiteral("2004"));
  TypeAndLeave(dialog->Text1[1], QStringLiteral("１"));
  EXPECT_EQ(dialog->Text1[1]->text(), QStringLiteral("01"));
  TypeAndLeave(dialog->Text1[2], QStringLiteral("５"));
  EXPECT_EQ(dialog->Text1[2]->text(), QStringLiteral("05"));
  dialog->OKButton_Click();
  EXPECT_EQ(lists->View1()->Label9->text(), QStringLiteral("データ数：2"));  // 4 and 32
}

TEST_F(Dialog1Test, APartOfAnEntryIsSearchedAsTyped) {
  struct Case {
    QComboBox* box;
    QString typed;
  };
  for (const Case& c :
       {Case{dialog->Combo2, QStringLiteral("総")}, Case{dialog->Combo3, QStringLiteral("心房")}}) {
    c.box->setFocus();
    TypeKeys(c.box->lineEdit(), c.typed);
    EXPECT_EQ(c.box->currentText(), c.typed);
    c.box->setEditText(QString());
  }
  // 心房 finds every examination with an arrhythmia of the atrium, in any slot.
  dialog->Combo3->setFocus();
  TypeKeys(dialog->Combo3->lineEdit(), QStringLiteral("心房"));
  dialog->OKButton_Click();
  EXPECT_EQ(dialog->SearchCriteria.arrhythmia, "心房");
  EXPECT_EQ(lists->View1()->Label9->text(), QStringLiteral("データ数：2"));
  EXPECT_EQ(lists->View1()->Label2[0]->text(), QStringLiteral(" 3    "));
  EXPECT_EQ(lists->View1()->Label2[1]->text(), QStringLiteral(" 13   "));
}

TEST_F(Dialog1Test, IdBoxGetsSixDigits) {
  TypeAndLeave(dialog->Text2, QStringLiteral("12"));
  EXPECT_EQ(dialog->Text2->text(), QStringLiteral("000012"));
}

TEST_F(Dialog1Test, ADayAloneIsNoCriterion) {
  TypeAndLeave(dialog->Text1[2], QStringLiteral("5"));
  ui.Expect("検索条件を入力して下い。");
  dialog->OKButton_Click();
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);
  EXPECT_EQ(Focus(), dialog->Text1[0]);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(progress.captions.empty());
}

TEST_F(Dialog1Test, ALowerAgeBoundAloneIsRefused) {
  dialog->Text1[3]->setText(QStringLiteral("30"));
  ui.Expect("年齢の範囲が不正です。");
  dialog->OKButton_Click();
  EXPECT_EQ(ui.Boxes().back().style, platform::kCritical);
  EXPECT_EQ(dialog->Text1[3]->text(), QString());
  EXPECT_EQ(dialog->Text1[4]->text(), QString());
  EXPECT_EQ(Focus(), dialog->Text1[3]);
  EXPECT_TRUE(progress.captions.empty());
}

TEST_F(Dialog1Test, TwentyHitsOpenListViewOneOnPageOneOfTwo) {
  dialog->Text3->setText(QStringLiteral("山"));
  dialog->OKButton_Click();
  EXPECT_FALSE(dialog->isVisible());
  Form5* f5 = lists->View1();
  EXPECT_TRUE(f5->isVisible());
  EXPECT_EQ(f5->Label9->text(), QStringLiteral("データ数：20"));
  EXPECT_EQ(f5->Label10->text(), QStringLiteral("1/2(Page)"));
  EXPECT_EQ(f5->Label2[0]->text(), QStringLiteral(" 2    "));
  EXPECT_EQ(f5->Label2[14]->text(), QStringLiteral(" 30   "));
  EXPECT_EQ(dialog->SearchCriteria.name, "山");
  // The search ran as a long operation with its progress shown and put away.
  EXPECT_TRUE(progress.guarded);
  EXPECT_EQ(progress.maximum, 40);
  EXPECT_EQ(progress.last, 40);
  EXPECT_FALSE(progress.shown);
  EXPECT_FALSE(store.LongOperationRunning());
  f5->Command2_Click();
  EXPECT_EQ(f5->Label2[4]->text(), QStringLiteral(" 40   "));
  EXPECT_EQ(f5->Label11[4]->text(), QStringLiteral("20"));
}

TEST_F(Dialog1Test, NoHitMeansNoList) {
  dialog->Text3->setText(QStringLiteral("鈴木"));
  ui.Expect("保存されていません。");
  dialog->OKButton_Click();
  EXPECT_EQ(ui.Boxes().back().style, platform::kOkOnly);
  EXPECT_FALSE(files.Exists(kWorkFile));
  EXPECT_FALSE(lists->View1()->isVisible());
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(store.RecordCount(), 40);
}

TEST_F(Dialog1Test, ANewSearchEndsTheListBeforeIt) {
  dialog->Text3->setText(QStringLiteral("山"));
  dialog->OKButton_Click();
  lists->ShowView2();
  dialog->show();
  dialog->Text3->setText(QStringLiteral("小山"));
  dialog->OKButton_Click();
  EXPECT_EQ(session.ListCount(), 1);
  EXPECT_EQ(lists->View1()->Label2[0]->text(), QStringLiteral(" 5    "));
  EXPECT_EQ(lists->View1()->Label2[1]->text(), QString());
  EXPECT_TRUE(lists->View1()->isVisible());
  EXPECT_FALSE(lists->View2()->isVisible());
}

TEST_F(Dialog1Test, ASearchThatFailsLeavesNoList) {
  std::vector<ExamRecord> many;
  for (int n = 1; n <= 2500; ++n) many.push_back(Exam(n, "山田"));
  store.CloseAllFiles();
  WriteExams(many);
  ASSERT_TRUE(store.OpenAllFiles().ok());
  dialog->Text3->setText(QStringLiteral("山"));
  files.FailNthWrite(1);
  ui.Expect(platform::ErrorText(61));
  dialog->OKButton_Click();
  EXPECT_FALSE(files.Exists(kWorkFile));
  EXPECT_FALSE(lists->View1()->isVisible());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(progress.shown);
  EXPECT_FALSE(store.LongOperationRunning());
}

TEST_F(Dialog1Test, CancelHidesAndKeepsTheBoxes) {
  dialog->Text3->setText(QStringLiteral("山"));
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->Text3->text(), QStringLiteral("山"));
}

}  // namespace
