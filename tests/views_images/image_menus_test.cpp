// The image windows opened from the main window: 拡大 and the picture
// click, 画像一覧, and list view 1's picture cell.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "mainwin/main_window.h"
#include "platform/drive_lock.h"
#include "sessions/exam_form_session.h"
#include "tests/support/recording_progress.h"
#include "tests/views_images/fixture.h"
#include "views/image_load_dialog.h"
#include "views/images/detail_view.h"
#include "views/images/image_list.h"
#include "views/images/zoom_window.h"
#include "views/list_view1.h"

namespace {

class ImageMenusTest : public images_test::DriveTest {
 protected:
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
  template <typename W>
  W* Window() const {
    return form->findChild<W*>();
  }

  std::unique_ptr<Form1> form;
};

TEST_F(ImageMenusTest, EnlargeShowsThePictureOnScreenWithTheNameAndDate) {
  WriteExamsWithPictures(3);
  Form1& f = Main();
  ASSERT_TRUE(f.G_kakudai->isEnabled());
  f.Text1[2]->setText(QStringLiteral("書き換えた名前"));
  const int lowered = ui.lowerCalls;
  f.G_kakudai->trigger();
  Form2* zoom = Window<Form2>();
  ASSERT_NE(zoom, nullptr);
  EXPECT_TRUE(zoom->isVisible());
  EXPECT_GT(ui.lowerCalls, lowered);
  EXPECT_EQ(zoom->Label1->text(), QStringLiteral("氏名　：書き換えた名前"));
  EXPECT_EQ(zoom->Label2->text(), QStringLiteral("検査日：2005/03/04"));
  EXPECT_EQ(zoom->Image1->Picture().cacheKey(), f.Image1->pixmap().cacheKey());
  EXPECT_EQ(Window<Dialog>(), nullptr);

  zoom->Command2->click();
  QTest::mouseClick(f.Image1, Qt::LeftButton);
  EXPECT_TRUE(zoom->isVisible());
  EXPECT_FALSE(zoom->Image1->Empty());
}

TEST_F(ImageMenusTest, EnlargeWithoutAPictureOpensTheImageLoadDialogOnly) {
  WriteExamsWithPictures(2, {2});
  Form1& f = Main();
  ASSERT_TRUE(f.Image1->pixmap().isNull());
  f.G_kakudai->trigger();
  ASSERT_NE(Window<Dialog>(), nullptr);
  EXPECT_TRUE(Window<Dialog>()->isVisible());
  EXPECT_TRUE(Window<Form2>() == nullptr || !Window<Form2>()->isVisible());
}

TEST_F(ImageMenusTest, TheImageListNeedsStoredData) {
  Form1& f = Main();
  ASSERT_TRUE(f.G_itiran->isEnabled());
  ui.Expect("保存データは０件です。");
  f.G_itiran->trigger();
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);
  EXPECT_TRUE(Window<Form8>() == nullptr || !Window<Form8>()->isVisible());
}

TEST_F(ImageMenusTest, TheImageListOpensItsRecordsInTheDetailViewAndStaysOpen) {
  WriteExamsWithPictures(9, {2});
  Form1& f = Main();
  f.G_itiran->trigger();
  Form8* list = Window<Form8>();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->isVisible());
  EXPECT_EQ(list->Label2[1]->text(), QStringLiteral("3"));
  EXPECT_EQ(list->Slider1->maximum(), 9);
  EXPECT_EQ(list->Slider1->value(), 1);

  QTest::mouseClick(list->Image1[1], Qt::LeftButton);
  Form9* detail = Window<Form9>();
  ASSERT_NE(detail, nullptr);
  EXPECT_TRUE(detail->isVisible());
  EXPECT_TRUE(list->isVisible());
  EXPECT_EQ(detail->Text1[2]->text(), QStringLiteral("患者3"));
  EXPECT_EQ(detail->Label19[2]->text(), QStringLiteral("IMG3.jpg"));

  // Its picture goes on to the zoom window.
  QTest::mouseClick(detail->Image1, Qt::LeftButton);
  Form2* zoom = Window<Form2>();
  ASSERT_NE(zoom, nullptr);
  EXPECT_TRUE(zoom->isVisible());
  EXPECT_TRUE(zoom->Label1->text().startsWith(QStringLiteral("氏名　：患者3")));

  // Another picture refills the open view.
  QTest::mouseClick(list->Image1[3], Qt::LeftButton);
  EXPECT_EQ(detail->Text1[2]->text(), QStringLiteral("患者5"));
  EXPECT_EQ(f.Label14->text(), QStringLiteral("9"));
}

TEST_F(ImageMenusTest, ListViewOnesPictureCellOpensTheZoomWindow) {
  WriteExamsWithPictures(3);
  Form1& f = Main();
  f.itiran->trigger();
  Form5* list = Window<Form5>();
  ASSERT_NE(list, nullptr);
  list->Image1_Click(1);
  Form2* zoom = Window<Form2>();
  ASSERT_NE(zoom, nullptr);
  EXPECT_TRUE(zoom->isVisible());
  EXPECT_FALSE(zoom->Image1->Empty());
  EXPECT_EQ(zoom->Label1->text(), QStringLiteral("氏名：患者2"));
  EXPECT_EQ(zoom->Label2->text(), QStringLiteral("検査日：2005/03/03"));
}

TEST_F(ImageMenusTest, TheImageWindowsFollowADeleteOnAnotherWorkstation) {
  WriteExamsWithPictures(9);
  platform::DriveLock mine, theirs;
  ASSERT_EQ(mine.Acquire(t.Root()), platform::LockOutcome::kHeld);
  ASSERT_EQ(theirs.Acquire(t.Root()), platform::LockOutcome::kHeld);
  store.SetDriveLock(&mine);
  Form1& f = Main();
  f.G_itiran->trigger();
  Form8* list = Window<Form8>();
  ASSERT_NE(list, nullptr);
  QTest::mouseClick(list->Image1[1], Qt::LeftButton);
  Form9* detail = Window<Form9>();
  ASSERT_NE(detail, nullptr);
  ASSERT_EQ(detail->Text1[2]->text(), QStringLiteral("患者2"));

  store::Store other(files);
  other.SetDriveLock(&theirs);
  ASSERT_TRUE(other.StartUp().ok());
  sessions::ExamFormSession elsewhere(other);
  testing_support::RecordingProgress progress;
  ASSERT_TRUE(elsewhere.ShowExamination(2).read);
  (void)elsewhere.Delete(progress);

  // What the idle look at the drive does.
  ui.Expect("表示していた検査は他の端末で削除されました。");
  store.BeforeCommand();
  EXPECT_FALSE(detail->isVisible());
  EXPECT_TRUE(list->isVisible());
  EXPECT_EQ(list->Label4[1]->text(), QStringLiteral("患者3"));
  EXPECT_EQ(list->Slider1->maximum(), 8);
  EXPECT_EQ(f.Label14->text(), QStringLiteral("8"));
}

}  // namespace
