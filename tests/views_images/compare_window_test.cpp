// The comparison window: F6 reaching it from the main window, the panes and
// their marks as the widgets show them, the linked pictures and the printed
// page.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "mainwin/main_window.h"
#include "tests/views_images/fixture.h"
#include "views/compare/compare_opener.h"
#include "views/compare/compare_picture.h"
#include "views/compare/compare_window.h"
#include "views/images/detail_view.h"
#include "views/images/image_windows.h"
#include "views/list_view1.h"

namespace {

using sessions::CompareField;
using store::ExamField;
using testing_support::RecordingPrinter;

constexpr int kLeft = sessions::CompareSession::kLeft;
constexpr int kRight = sessions::CompareSession::kRight;

class CompareWindowTest : public images_test::DriveTest {
 protected:
  // Examinations 1 ... 4, 1, 2 and 4 of one patient (2 without a change of
  // department from 4), each with its picture.
  void SetUp() override {
    std::vector<store::ExamRecord> exams;
    for (int n = 1; n <= 4; ++n) {
      store::ExamRecord r = images_test::Exam(n);
      if (n != 3) r.Set(ExamField::PatientId, "000045");
      if (n == 2) r.Set(ExamField::Department, "検査部4");
      exams.push_back(r);
      WritePicture("IMG" + std::to_string(n) + ".jpg", 320, 200);
    }
    WriteExams(exams);
  }
  void TearDown() override {
    form.reset();
    DriveTest::TearDown();
  }
  Form1& Main() {
    form = std::make_unique<Form1>(store, ui, &printer);
    form->Form_Load();
    QApplication::processEvents();
    return *form;
  }
  CompareWindow* Window() const { return form->findChild<CompareWindow*>(); }

  std::unique_ptr<Form1> form;
};

TEST_F(CompareWindowTest, F6ShowsTheExaminationBesideTheEarlierOneWithTheDifferencesMarked) {
  Form1& f = Main();  // record 4 on screen
  QTest::keyClick(f.Text1[1], Qt::Key_F6);
  CompareWindow* w = Window();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->panes[kRight].values[0]->text(), QStringLiteral("2005/03/05"));
  EXPECT_EQ(w->panes[kLeft].values[0]->text(), QStringLiteral("2005/03/03"));
  const auto marked = [](const CompareWindow::Pane& p, CompareField field) {
    return !p.values[static_cast<int>(field)]->styleSheet().isEmpty();
  };
  EXPECT_TRUE(marked(w->panes[kLeft], CompareField::HeartRate));
  EXPECT_TRUE(marked(w->panes[kRight], CompareField::HeartRate));
  EXPECT_FALSE(marked(w->panes[kRight], CompareField::Department));
  EXPECT_EQ(w->panes[kLeft].strip->count(), 3);
  EXPECT_EQ(w->panes[kLeft].strip->currentRow(), 1);
  EXPECT_FALSE(w->panes[kLeft].picture->Picture().isNull());

  w->panes[kLeft].back->click();
  EXPECT_EQ(w->panes[kLeft].values[0]->text(), QStringLiteral("2005/03/02"));
  EXPECT_FALSE(w->panes[kLeft].back->isEnabled());
  EXPECT_TRUE(marked(w->panes[kRight], CompareField::Department));
}

TEST_F(CompareWindowTest, ANewExaminationOrAPatientWithoutOthersIsSaid) {
  Form1& f = Main();
  f.StartNewExamination();
  ui.Expect("登録済みの検査を表示してから比較して下さい。");
  f.G_hikaku->trigger();
  EXPECT_TRUE(ui.AllAnswered());

  ASSERT_TRUE(f.ShowExamination(3));
  f.G_hikaku->trigger();
  ASSERT_NE(Window(), nullptr);
  EXPECT_EQ(Window()->notice->text(), QStringLiteral("この患者の過去の検査はありません。"));
  EXPECT_TRUE(Window()->panes[kLeft].picture->Picture().isNull());
  EXPECT_FALSE(Window()->panes[kRight].picture->Picture().isNull());
}

TEST_F(CompareWindowTest, ZoomPanAndTheCrosshairMoveBothPicturesUnlessUnlinked) {
  Form1& f = Main();
  f.G_hikaku->trigger();
  CompareWindow& w = *Window();
  ComparePicture* left = w.panes[kLeft].picture;
  ComparePicture* right = w.panes[kRight].picture;

  w.zoomIn->click();
  EXPECT_GT(left->View().zoom, 1.0);
  EXPECT_EQ(left->View(), right->View());
  QTest::mousePress(right, Qt::LeftButton, {}, right->rect().center());
  QTest::mouseMove(right, right->rect().center() + QPoint(30, 10));
  QTest::mouseRelease(right, Qt::LeftButton, {}, right->rect().center() + QPoint(30, 10));
  EXPECT_NE(right->View().centre, QPointF(0.5, 0.5));
  EXPECT_EQ(left->View(), right->View());
  ASSERT_TRUE(left->Crosshair().has_value());
  EXPECT_EQ(*left->Crosshair(), *right->Crosshair());
  // The same point of the paper: the same place on pictures of one size.
  const QRectF l = left->PictureRect(), r = right->PictureRect();
  EXPECT_EQ(l.size(), r.size());

  w.linked->setChecked(false);
  w.zoomIn->click();  // the buttons zoom both
  const PictureView before = left->View();
  QTest::mousePress(right, Qt::LeftButton, {}, right->rect().center());
  QTest::mouseMove(right, right->rect().center() + QPoint(-40, 0));
  QTest::mouseRelease(right, Qt::LeftButton, {}, right->rect().center() + QPoint(-40, 0));
  EXPECT_EQ(left->View(), before);
  EXPECT_NE(right->View(), before);
  w.whole->click();
  EXPECT_EQ(left->View(), PictureView{});
  EXPECT_EQ(right->View(), PictureView{});
}

TEST_F(CompareWindowTest, PrintsBothOnOneLandscapePageAtOneScale) {
  Form1& f = Main();
  f.G_hikaku->trigger();
  ui.Expect("プリンターを　「Ａ４横向き」　にセットしましたか。", platform::kAnswerYes);
  ui.Expect("印刷します", platform::kAnswerYes);
  Window()->print->click();
  ASSERT_EQ(printer.jobs.size(), 1u);
  EXPECT_EQ(printer.jobs[0].orientation, platform::Printer::Orientation::Landscape);
  EXPECT_EQ(printer.EndedDocuments(), 1);
  EXPECT_TRUE(printer.ItemsOf(RecordingPrinter::Kind::NewPage).empty());
  EXPECT_EQ(printer.TextAt(1, 3, 2), "検査日：2005/03/03　年齢：32　心拍数：62");
  EXPECT_EQ(printer.TextAt(1, 70, 2), "検査日：2005/03/05　年齢：34　心拍数：64");
  const auto pictures = printer.ItemsOf(RecordingPrinter::Kind::Picture);
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_EQ(pictures[0].y, pictures[1].y);
  EXPECT_EQ(pictures[0].width, pictures[1].width);
  EXPECT_EQ(pictures[0].pictureWidth, 320);  // decoded at full size
  EXPECT_LT(pictures[0].x + pictures[0].width, pictures[1].x);
  EXPECT_EQ(printer.PageOrientation, platform::Printer::Orientation::AsSet);
}

TEST_F(CompareWindowTest, ACommandOfTheFormClosesTheWindow) {
  Form1& f = Main();
  f.G_hikaku->trigger();
  ASSERT_TRUE(Window()->isVisible());
  ui.Expect("このデータを削除しますか？", platform::kAnswerYes);
  ui.Expect("削除終了。");
  f.sakujyo->trigger();
  EXPECT_EQ(store.RecordCount(), 3);
  EXPECT_FALSE(Window()->isVisible());
}

TEST_F(CompareWindowTest, TheDetailViewAndAListRowOpenTheirRecordsComparison) {
  Form1& f = Main();
  ImageWindows* images = f.findChild<ImageWindows*>(QStringLiteral("ImageWindows"));
  ASSERT_NE(images, nullptr);
  images->OpenDetail(2);
  ASSERT_TRUE(images->Detail().Command3->isVisible());
  images->Detail().Command3->click();
  ASSERT_NE(Window(), nullptr);
  EXPECT_EQ(Window()->panes[kRight].values[0]->text(), QStringLiteral("2005/03/03"));
  Window()->hide();

  f.itiran->trigger();
  Form5* list = f.findChild<Form5*>(QStringLiteral("Form5"));
  ASSERT_NE(list, nullptr);
  QWidget* cell = nullptr;  // a data cell of the first row (record 1)
  for (QLabel* label : list->findChildren<QLabel*>()) {
    if (label->property("row").toInt() == 0 && label->property("row").isValid() &&
        label != list->Image1[0]) {
      cell = label;
    }
  }
  ASSERT_NE(cell, nullptr);
  QTimer::singleShot(0, [] {
    QWidget* menu = QApplication::activePopupWidget();
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_K);
  });
  QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(2, 2),
                            cell->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(cell, &request);
  EXPECT_TRUE(Window()->isVisible());
  EXPECT_EQ(Window()->panes[kRight].values[0]->text(), QStringLiteral("2005/03/02"));
}

}  // namespace
