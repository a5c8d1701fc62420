// The zoom window: the crosshair, closing, and the landscape print.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "tests/views_images/fixture.h"
#include "views/images/zoom_window.h"

namespace {

using testing_support::RecordingPrinter;

constexpr const char* kLandscapeQuestion = "プリンターを　「Ａ４横向き」　にセットしましたか。";

class ZoomTest : public images_test::DriveTest {
 protected:
  void SetUp() override {
    Start();
    form = std::make_unique<Form2>(store, ui, &printer, [this] { return mainPrinter; });
  }
  QPixmap Solid(int w, int h, QColor colour) {
    QPixmap p(w, h);
    p.fill(colour);
    return p;
  }
  void Move(QWidget* w, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
  }
  static bool Red(QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; }

  std::unique_ptr<Form2> form;
  std::string mainPrinter = "Printer B";
};

TEST_F(ZoomTest, TheCrosshairFollowsThePointerWithoutLeavingTrails) {
  Form2& f = *form;
  f.SetPicture(Solid(400, 300, QColor(20, 200, 20)));
  f.show();
  ZoomPicture* picture = f.Image1;
  ASSERT_GT(picture->width(), 300);
  ASSERT_GT(picture->height(), 220);

  Move(picture, QPoint(101, 81));
  ASSERT_TRUE(picture->HasCrosshair());
  const QPoint first = picture->Crossing();
  EXPECT_LT((first - QPoint(101, 81)).manhattanLength(), 6);
  QImage shot = picture->grab().toImage();
  EXPECT_TRUE(Red(shot.pixel(first.x(), 10)));
  EXPECT_TRUE(Red(shot.pixel(first.x(), picture->height() - 5)));
  EXPECT_TRUE(Red(shot.pixel(10, first.y())));
  EXPECT_TRUE(Red(shot.pixel(picture->width() - 5, first.y())));

  Move(picture, QPoint(251, 201));
  const QPoint second = picture->Crossing();
  shot = picture->grab().toImage();
  EXPECT_TRUE(Red(shot.pixel(second.x(), 10)));
  EXPECT_TRUE(Red(shot.pixel(10, second.y())));
  // The old lines are gone; the picture shows there again.
  EXPECT_FALSE(Red(shot.pixel(first.x(), 10)));
  EXPECT_GT(qGreen(shot.pixel(first.x(), 10)), 150);
  EXPECT_FALSE(Red(shot.pixel(10, first.y())));

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(picture, &leave);
  EXPECT_FALSE(picture->HasCrosshair());
  shot = picture->grab().toImage();
  EXPECT_FALSE(Red(shot.pixel(second.x(), 10)));
}

TEST_F(ZoomTest, ThePictureKeepsItsProportionsAndTheCrosshairShowsOnRed) {
  Form2& f = *form;
  f.show();
  // A scan of 1001 x 684 handed on, and a file of 1600 x 1000 decoded to fit.
  f.SetPicture(Solid(1001, 684, Qt::red));
  const QRect area = f.Image1->PictureRect();
  EXPECT_NEAR(double(area.width()) / area.height(), 1001.0 / 684, 0.01);
  EXPECT_TRUE(area.width() == f.Image1->width() || area.height() == f.Image1->height());
  WritePicture("WIDE.jpg", 1600, 1000);
  ASSERT_TRUE(f.LoadPicture("C:\\VLN2\\GAZOU\\WIDE.jpg"));
  const QSize decoded = f.Image1->Picture().size();
  EXPECT_NEAR(double(decoded.width()) / decoded.height(), 1.6, 0.01);

  // On an all-red picture the two red pixels stand between dark edges.
  f.SetPicture(Solid(1001, 684, Qt::red));
  const QPoint at = area.center();
  Move(f.Image1, at);
  const QPoint c = f.Image1->Crossing();
  const QImage shot = f.Image1->grab().toImage();
  auto dark = [](QRgb p) { return qRed(p) < 80 && qGreen(p) < 80 && qBlue(p) < 80; };
  const int y = area.top() + 5;
  EXPECT_TRUE(Red(shot.pixel(c.x(), y)) && Red(shot.pixel(c.x() + 1, y)));
  EXPECT_TRUE(dark(shot.pixel(c.x() - 1, y)) && dark(shot.pixel(c.x() + 2, y)));
  EXPECT_TRUE(Red(shot.pixel(c.x() + 3, y)));  // the picture again
  const int x = area.left() + 5;
  EXPECT_TRUE(dark(shot.pixel(x, c.y() - 1)) && dark(shot.pixel(x, c.y() + 2)));
}

TEST_F(ZoomTest, CancellingThePrinterSettingsEndsThePrint) {
  form->SetPicture(Solid(40, 30, Qt::blue));
  printer.propertiesAccepted = false;
  ui.Expect(kLandscapeQuestion, platform::kAnswerNo);
  form->Command1->click();
  EXPECT_EQ(ui.Boxes().size(), 1u);  // no "印刷します"
  EXPECT_EQ(printer.propertiesShown, std::vector<std::string>{"Printer B"});
  EXPECT_TRUE(printer.jobs.empty());
}

TEST_F(ZoomTest, TheCloseBoxAndCloseEmptyThePicture) {
  Form2& f = *form;
  EXPECT_EQ(f.windowTitle(), QStringLiteral("画像/拡大"));
  f.SetPicture(Solid(40, 30, Qt::blue));
  f.show();
  EXPECT_TRUE(f.close());
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(f.Image1->Empty());

  f.SetPicture(Solid(40, 30, Qt::blue));
  f.show();

  f.Command2->click();
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(f.Image1->Empty());

  // Esc is 閉じる too.
  f.SetPicture(Solid(40, 30, Qt::blue));
  f.show();
  QTest::keyClick(&f, Qt::Key_Escape);
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(f.Image1->Empty());
}

TEST_F(ZoomTest, PrintingAnEmptyPictureDoesNothingAtAll) {
  form->Label1->setText(QStringLiteral("氏名　：患者"));
  form->Command1->click();
  EXPECT_TRUE(ui.Boxes().empty());
  EXPECT_TRUE(printer.jobs.empty());
  EXPECT_EQ(printer.drawingCalls, 0);
}

TEST_F(ZoomTest, PrintsTheLinesAndThePictureOnALandscapePage) {
  WritePicture("BIG.jpg", 1600, 1000);
  Form2& f = *form;
  int error = 0;
  ASSERT_TRUE(f.LoadPicture("C:\\VLN2\\GAZOU\\BIG.jpg", &error));
  // On screen, no larger than the picture area.
  EXPECT_LE(f.Image1->Picture().width(), f.PictureBox().width());
  EXPECT_LT(f.Image1->Picture().width(), 1600);
  f.Label1->setText(QStringLiteral("氏名：患者5"));
  f.Label2->setText(QStringLiteral("検査日：2005/03/06"));

  ui.Expect(kLandscapeQuestion, platform::kAnswerYes);
  ui.Expect("印刷します", platform::kAnswerYes);
  f.Command1->click();
  ASSERT_EQ(ui.Boxes().size(), 2u);
  EXPECT_EQ(ui.Boxes()[0].style, platform::kYesNoCancel);
  EXPECT_EQ(ui.Boxes()[0].title, "プリンター設定確認");
  EXPECT_EQ(ui.Boxes()[1].style, platform::kYesNo);

  ASSERT_EQ(printer.jobs.size(), 1u);
  EXPECT_EQ(printer.jobs[0].device, "Printer B");
  EXPECT_EQ(printer.jobs[0].orientation, platform::Printer::Orientation::Landscape);
  EXPECT_TRUE(printer.jobs[0].ended);
  EXPECT_EQ(printer.TextAt(1, 5, 1), "氏名：患者5");
  EXPECT_EQ(printer.TextAt(1, 5, 2), "検査日：2005/03/06");
  const auto pictures = printer.ItemsOf(RecordingPrinter::Kind::Picture);
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(std::make_pair(pictures[0].x, pictures[0].y), std::make_pair(5.0, 5.0));
  EXPECT_EQ(pictures[0].width, Form2::kZoomPictureColumns);
  EXPECT_EQ(pictures[0].height, 40);
  // The file it came from, at its full size.
  EXPECT_EQ(pictures[0].pictureWidth, 1600);
  EXPECT_EQ(printer.EndedDocuments(), 1);
  // The next printout is laid out as its printer is set up again.
  EXPECT_EQ(printer.PageOrientation, platform::Printer::Orientation::AsSet);
  EXPECT_FALSE(ui.busyCursor);
}

TEST_F(ZoomTest, NoOpensThePropertiesOfTheMainWindowsPrinterAndCancelEnds) {
  Form2& f = *form;
  f.SetPicture(Solid(50, 40, Qt::gray));
  ui.Expect(kLandscapeQuestion, platform::kAnswerCancel);
  f.Command1->click();
  EXPECT_TRUE(printer.jobs.empty());

  ui.Expect(kLandscapeQuestion, platform::kAnswerNo);
  ui.Expect("印刷します", platform::kAnswerNo);
  f.Command1->click();
  EXPECT_EQ(printer.propertiesShown, std::vector<std::string>{"Printer B"});
  EXPECT_TRUE(printer.jobs.empty());

  ui.Expect(kLandscapeQuestion, platform::kAnswerNo);
  ui.Expect("印刷します", platform::kAnswerYes);
  f.Command1->click();
  ASSERT_EQ(printer.jobs.size(), 1u);
  // The picture on screen, as it was handed on.
  EXPECT_EQ(printer.ItemsOf(RecordingPrinter::Kind::Picture).at(0).pictureWidth, 50);
}

TEST_F(ZoomTest, AFileThatIsNoPictureLeavesTheWindowEmpty) {
  t.WriteBytes("C:\\VLN2\\GAZOU\\BAD.jpg", "not a picture");
  form->SetPicture(Solid(50, 40, Qt::gray));
  int error = 0;
  EXPECT_FALSE(form->LoadPicture("C:\\VLN2\\GAZOU\\BAD.jpg", &error));
  EXPECT_EQ(error, 481);
  EXPECT_TRUE(form->Image1->Empty());
}

}  // namespace
