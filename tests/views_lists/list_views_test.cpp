// The two list views over one working file: paging, the slider, the row
// actions, switching views and closing.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <functional>
#include <memory>

#include "platform/progress.h"
#include "store/list_pages.h"
#include "store/long_operation.h"
#include "store/text_format.h"
#include "tests/views_lists/fixture.h"
#include "views/list_view1.h"
#include "views/list_view2.h"
#include "views/list_views.h"

namespace {

using namespace store;
using lists_test::Exam;
using lists_test::Texts;

class ListViewsTest : public lists_test::DriveTest {
 protected:
  // `count` examinations listed whole, on page 1, list view 1 shown.
  void Open(int count) {
    WriteExams(count);
    Open();
  }
  void Open() {
    ASSERT_TRUE(store.StartUp().ok());
    platform::NoProgress none;
    ASSERT_EQ(session.OpenListOfAllRecords(none).opening, sessions::ListOpening::Opened);
    lists = std::make_unique<ListViews>(session, ui, &owner);
    lists->showExamination = [this](int n) {
      opened.push_back(n);
      return openSucceeds;
    };
    lists->ShowFirstPage();
    f5 = lists->View1();
    f13 = lists->View2();
  }
  std::vector<QString> Positions1() { return Texts(f5->Label11); }
  QString Row(int first, int count, int r) {
    return r < count ? QString::number(first + r) : QString();
  }
  // Both views show positions first ... first + count - 1 and nothing after
  // (list view 2 once it is asked for).
  void ExpectPage(int first, int count) {
    ASSERT_EQ(lists->View2(), f13);
    for (int r = 0; r < kRowsPerPage; ++r) {
      EXPECT_EQ(f5->Label11[r]->text(), Row(first, count, r)) << "view 1 row " << r;
      EXPECT_EQ(f13->Label11[r]->text(), Row(first, count, r)) << "view 2 row " << r;
      EXPECT_EQ(f5->Label5[r]->text().isEmpty(), r >= count) << "row " << r;
      EXPECT_EQ(f13->Label5[r]->isHidden(), r >= count) << "row " << r;
      EXPECT_EQ(f13->List1[r]->count(), r < count ? 5 : 0) << "row " << r;
      EXPECT_EQ(f5->Image1[r]->isHidden(), r >= count) << "row " << r;
    }
  }

  sessions::ExamListSession session{store};
  QWidget owner;
  std::unique_ptr<ListViews> lists;
  Form5* f5 = nullptr;
  Form13* f13 = nullptr;
  std::vector<int> opened;
  bool openSucceeds = true;
};

TEST_F(ListViewsTest, FifteenRecordsAreOnePage) {
  Open(15);
  EXPECT_TRUE(f5->isVisible());
  EXPECT_FALSE(f13->isVisible());
  ExpectPage(1, 15);
  EXPECT_EQ(f5->Label10->text(), QStringLiteral("1/1(Page)"));
  EXPECT_EQ(f5->Label9->text(), QStringLiteral("データ数：15"));
  EXPECT_EQ(f5->Slider1->maximum(), 2);
  EXPECT_EQ(f13->Slider1->maximum(), 2);
  ui.Expect("データは以上です。");
  f5->Command2_Click();
  EXPECT_EQ(ui.Boxes().back().style, platform::kCritical);
  ui.Expect("データは以上です。");
  f5->Command1_Click();
  EXPECT_EQ(session.Pager().PageNumber(), 1);
  ExpectPage(1, 15);
}

TEST_F(ListViewsTest, ShortLastPageInBothViews) {
  Open(16);
  ExpectPage(1, 15);
  f5->NDATA->trigger();
  ExpectPage(16, 1);
  EXPECT_EQ(f5->Label10->text(), QStringLiteral("2/2(Page)"));
  EXPECT_EQ(f13->Label10->text(), QStringLiteral("2/2(Page)"));
  EXPECT_EQ(f5->Slider1->value(), 2);
  EXPECT_EQ(f13->Slider1->value(), 2);
  // View 2 shows the same short page, nothing of page 1 left over.
  f5->ITIRAN_2->trigger();
  EXPECT_FALSE(f5->isVisible());
  EXPECT_TRUE(f13->isVisible());
  EXPECT_EQ(f13->Label2[0]->text(), QStringLiteral("000016"));
  ui.Expect("データは以上です。");
  f13->nextdata->trigger();
  f13->backdata->trigger();
  ExpectPage(1, 15);
  f13->ITIRAN_1->trigger();
  EXPECT_TRUE(f5->isVisible());
  EXPECT_FALSE(f13->isVisible());
}

TEST_F(ListViewsTest, ViewTwoShowsThePageStepsTakenWhileItWasHidden) {
  struct Case {
    const char* what;
    std::function<void(Form5&)> step;
    const char* firstRow;
  };
  const Case cases[] = {
      {"next page", [](Form5& f) { f.Command2_Click(); }, "16"},
      {"slider to page 4",
       [](Form5& f) {
         f.Slider1->setValue(4);
         f.Slider1_Click();
       },
       "46"},
      {"two pages on, one back",
       [](Form5& f) {
         f.Command2_Click();
         f.Command2_Click();
         f.Command1_Click();
       },
       "16"},
  };
  Open(61);
  for (const Case& c : cases) {
    lists->ShowView1();
    f5->Slider1->setValue(1);
    f5->Slider1_Click();
    ASSERT_FALSE(f13->isVisible());
    c.step(*f5);
    f5->ITIRAN_2->trigger();
    ASSERT_TRUE(f13->isVisible()) << c.what;
    EXPECT_EQ(f13->Label11[0]->text(), QString::fromUtf8(c.firstRow)) << c.what;
    EXPECT_EQ(f13->Label10->text(), f5->Label10->text()) << c.what;
    EXPECT_EQ(Texts(f13->Label11), Positions1()) << c.what;
    // Stepping with view 2 on screen draws it at once.
    f13->Command2_Click();
    EXPECT_EQ(f13->Label11[0]->text(), f5->Label11[0]->text()) << c.what;
  }
}

TEST_F(ListViewsTest, SliderThenNextAndPrevious) {
  Open(61);
  f5->Slider1->setValue(3);
  f5->Slider1_Click();
  ExpectPage(31, 15);
  f5->Command2_Click();
  ExpectPage(46, 15);
  EXPECT_EQ(f5->Label10->text(), QStringLiteral("4/5(Page)"));
  f13->Command1_Click();
  ExpectPage(31, 15);
  EXPECT_EQ(f5->Slider1->value(), 3);
  EXPECT_EQ(f13->Slider1->value(), 3);
}

TEST_F(ListViewsTest, TheSliderActsOnlyWhenTheUserMovesIt) {
  Open(61);
  f5->Slider1->setValue(4);  // by the program: nothing
  QCoreApplication::processEvents();
  ExpectPage(1, 15);
  f5->Slider1->setValue(1);
  QTest::keyClick(f5->Slider1, Qt::Key_Right);  // by the user
  QCoreApplication::processEvents();
  ExpectPage(16, 15);
}

TEST_F(ListViewsTest, TheSparePageOfTheSliderShowsTheOnePage) {
  Open(7);
  f5->Slider1->setValue(2);
  f5->Slider1_Click();
  ExpectPage(1, 7);
  EXPECT_EQ(f5->Slider1->value(), 1);
}

TEST_F(ListViewsTest, RowsShowTheFieldsAndTheStoredNumbers) {
  ExamRecord blank = Exam(1, "山田　太郎", "要経過観察");
  blank.Set(ExamField::RecordNo, " 1");
  blank.Set(LeadSiteField(0), "V1");
  blank.Set(FindingField(0), "ST上昇");
  blank.Set(ArrhythmiaField(4), "心房細動");
  WriteExams({blank, Exam(2)});
  Open();
  EXPECT_EQ(f5->Label11[0]->text(), QStringLiteral("1"));
  EXPECT_EQ(f5->Label2[0]->text(), QStringLiteral(" 1    "));
  EXPECT_EQ(f5->Label3[0]->text(), QStringLiteral("2004/01/02"));
  EXPECT_EQ(f5->Label4[0]->text(), QStringLiteral("000001"));
  EXPECT_EQ(f5->Label5[0]->text(), QStringLiteral("山田　太郎"));
  EXPECT_EQ(f5->Label6[0]->text(), QStringLiteral("M"));
  EXPECT_EQ(f5->Label7[0]->text(), QStringLiteral("21"));
  EXPECT_EQ(f5->Label8[0]->text(), QStringLiteral("総務部"));
  EXPECT_EQ(f5->Label13[0]->text(), QStringLiteral("61"));
  EXPECT_EQ(f13->Text1[0]->toPlainText(), QStringLiteral("要経過観察"));
  const QString blanks(20, QLatin1Char(' '));
  EXPECT_EQ(f13->List1[0]->item(0)->text(), QStringLiteral("V1") + QString(18, QLatin1Char(' ')) +
                                                QStringLiteral("/ST上昇") +
                                                QString(14, QLatin1Char(' ')));
  EXPECT_EQ(f13->List1[1]->item(3)->text(), blanks + QStringLiteral("/") + blanks);
  EXPECT_EQ(f13->List2[0]->item(4)->text(),
            QStringLiteral("心房細動") + QString(12, QLatin1Char(' ')));
}

TEST_F(ListViewsTest, ARowOpensItsRecordByTheDataFileNumber) {
  WriteExams(20);
  Open();
  f5->Command2_Click();
  // Clicking the name and clicking the date of a row do the same.
  QTest::mouseClick(f5->Label5[2], Qt::LeftButton);
  EXPECT_EQ(opened, std::vector<int>{18});
  EXPECT_FALSE(f5->isVisible());
  f5->show();
  QTest::mouseClick(f5->Label3[2], Qt::LeftButton);
  EXPECT_EQ(opened, (std::vector<int>{18, 18}));
  // An empty row and the position column do nothing.
  f5->show();
  QTest::mouseClick(f5->Label5[9], Qt::LeftButton);
  QTest::mouseClick(f5->Label11[1], Qt::LeftButton);
  EXPECT_EQ(opened.size(), 2u);
  EXPECT_TRUE(f5->isVisible());
  // A record that could not be read leaves the list in view.
  openSucceeds = false;
  f5->Row_Click(0);
  EXPECT_TRUE(f5->isVisible());
  // View 2 likewise.
  openSucceeds = true;
  f5->ITIRAN_2_Click();
  QTest::mouseClick(f13->Label4[4], Qt::LeftButton);
  EXPECT_EQ(opened.back(), 20);
  EXPECT_FALSE(f13->isVisible());
}

TEST_F(ListViewsTest, AListEndedBehindTheViewsIsNotActedOn) {
  Open(20);
  // A deletion or a sort rebuilt the data file through the working file.
  ASSERT_TRUE(store.RemoveWorkFile().ok());
  ui.Expect("表示するデータがありません。");
  f5->Row_Click(0);
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);
  EXPECT_TRUE(opened.empty());
  EXPECT_FALSE(f5->isVisible());
  EXPECT_FALSE(lists->ListOpen());
}

TEST_F(ListViewsTest, ThePictureCell) {
  WriteExams(3);
  WritePicture("img2.JPG");
  Open();
  std::vector<std::string> zoomed;
  lists->showZoom = [&zoomed](const std::string& file, const std::string& name,
                              const std::string&) { zoomed.push_back(file + " " + name); };
  ui.Expect("画像：IMG1.jpgはありません。");
  QTest::mouseClick(f5->Image1[0], Qt::LeftButton);
  EXPECT_EQ(ui.Boxes().back().style, platform::kOkOnly);
  EXPECT_TRUE(zoomed.empty());
  // The file is found as the main window finds it, ignoring case.
  f5->Image1_Click(1);
  EXPECT_EQ(zoomed, std::vector<std::string>{"C:\\VLN2\\GAZOU\\img2.JPG 患者2"});
  EXPECT_TRUE(f5->isVisible());
  // Without the zoom window a found picture does nothing.
  lists->showZoom = nullptr;
  f5->Image1_Click(1);
  // An image name that reaches outside the image directory is missing.
  ExamRecord sneaky = Exam(3);
  sneaky.Set(ExamField::ImageName, "../img2");
  ASSERT_TRUE(store.DataFile()->Write(3, sneaky).ok());
  ui.Expect("画像：../img2.jpgはありません。");
  f5->Image1_Click(2);
}

TEST_F(ListViewsTest, TheBoxesOfViewTwo) {
  ExamRecord full = Exam(1, "", "胸痛あり");
  for (int i = 0; i < 5; ++i) {
    full.Set(LeadSiteField(i), "V" + std::to_string(i + 1));
    full.Set(FindingField(i), i == 2 ? "" : "所見" + std::to_string(i));
  }
  full.Set(ArrhythmiaField(1), "心房細動");
  WriteExams({full, Exam(2)});
  Open();
  lists->ShowView2();
  ui.Expect("V1/所見0\rV2/所見1\rV3/\rV4/所見3\rV5/所見4");
  QTest::mouseClick(f13->List1[0]->viewport(), Qt::LeftButton);
  ui.Expect("\r心房細動\r\r\r");
  QTest::mouseClick(f13->List2[0]->viewport(), Qt::LeftButton);
  ui.Expect("胸痛あり");
  QTest::mouseClick(f13->Text1[0]->viewport(), Qt::LeftButton);
  // An empty comment after one with a comment.
  ui.Expect("コメントはありません。");
  f13->Text1_Click(1);
  for (const auto& box : ui.Boxes()) EXPECT_EQ(box.style, platform::kOkOnly);
  // An empty row does nothing.
  f13->List1_Click(5);
  EXPECT_TRUE(f13->isVisible());
}

TEST_F(ListViewsTest, ClosingDiscardsTheWorkingFileFromEitherView) {
  Open(20);
  f5->Command3_Click();
  EXPECT_FALSE(files.Exists(kWorkFile));
  EXPECT_FALSE(store.WorkFile());
  EXPECT_FALSE(f5->isVisible());
  EXPECT_FALSE(lists->ListOpen());

  platform::NoProgress none;
  ASSERT_EQ(session.OpenListOfAllRecords(none).opening, sessions::ListOpening::Opened);
  lists->ShowFirstPage();
  lists->ShowView2();
  f5->show();
  f13->Command3_Click();
  EXPECT_FALSE(f5->isVisible());
  EXPECT_FALSE(f13->isVisible());
  EXPECT_FALSE(files.Exists(kWorkFile));
}

TEST_F(ListViewsTest, EscIsTheCloseButtonOfEitherView) {
  Open(20);
  platform::NoProgress none;
  for (QWidget* view : std::initializer_list<QWidget*>{f5, f13}) {
    if (view == f13) {
      ASSERT_EQ(session.OpenListOfAllRecords(none).opening, sessions::ListOpening::Opened);
      lists->ShowFirstPage();
      lists->ShowView2();
    }
    ASSERT_TRUE(view->isVisible());
    QSlider* slider = view == f5 ? f5->Slider1 : f13->Slider1;
    QTest::keyClick(slider, Qt::Key_Escape);
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(files.Exists(kWorkFile));
  }
}

TEST_F(ListViewsTest, PrintingWaitsForThePrintRangeDialog) {
  Open(3);
  EXPECT_FALSE(f5->Command4->isEnabled());
  EXPECT_FALSE(f13->Command4->isEnabled());
  int opens = 0;
  lists->SetPrintRange([&opens] { ++opens; });
  EXPECT_TRUE(f5->Command4->isEnabled());
  EXPECT_TRUE(f13->Command4->isEnabled());
  f5->Command4->click();
  f13->Command4->click();
  EXPECT_EQ(opens, 2);
}

TEST_F(ListViewsTest, NothingMovesWhileALongOperationRuns) {
  Open(40);
  {
    LongOperation operation(store);
    f5->Command2_Click();
    f5->Row_Click(0);
    f5->Command3_Click();
  }
  EXPECT_EQ(session.Pager().PageNumber(), 1);
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(files.Exists(kWorkFile));
}

TEST_F(ListViewsTest, CaptionsHeadingsAndMenus) {
  Open(1);
  EXPECT_EQ(f5->windowTitle(), QStringLiteral("一覧①"));
  EXPECT_EQ(f13->windowTitle(), QStringLiteral("一覧②"));
  EXPECT_EQ(
      Texts(f5->Label1),
      (std::vector<QString>{QStringLiteral("ファイルNO"), QStringLiteral("検査日"),
                            QStringLiteral("ID"), QStringLiteral("氏名"), QStringLiteral("性別"),
                            QStringLiteral("年齢"), QStringLiteral("所属")}));
  EXPECT_EQ(f5->Label12->text(), QStringLiteral("HR"));
  EXPECT_EQ(f5->Label14->text(), QStringLiteral("画像"));
  EXPECT_EQ(Texts(f13->Label1),
            (std::vector<QString>{QStringLiteral("ファイルNO"), QStringLiteral("検査日"),
                                  QStringLiteral("ID"), QStringLiteral("氏名"),
                                  QStringLiteral("コメント"), QStringLiteral("誘導部位/異常所見"),
                                  QStringLiteral("不整脈")}));
  for (QPushButton* close : {f5->Command3, f13->Command3}) {
    EXPECT_EQ(close->text(), QStringLiteral("閉じる(&E)"));
  }
  EXPECT_EQ(f5->Command4->text(), QStringLiteral("印刷(&P)"));
  EXPECT_EQ(f5->GAMEN->title(), QStringLiteral("画面(&G)"));
  EXPECT_EQ(f5->BDATA->text(), QStringLiteral("前のデータ(&B)"));
  EXPECT_EQ(f5->NDATA->text(), QStringLiteral("次のデータ(&N)"));
  EXPECT_EQ(f5->ITIRAN_2->text(), QStringLiteral("一覧②"));
  EXPECT_EQ(f13->GAMEN1->title(), QStringLiteral("画面(&G)"));
  EXPECT_EQ(f13->backdata->text(), QStringLiteral("前のデータ(&B)"));
  EXPECT_EQ(f13->nextdata->text(), QStringLiteral("次のデータ(&N)"));
  EXPECT_EQ(f13->ITIRAN_1->text(), QStringLiteral("一覧①"));
}

}  // namespace
