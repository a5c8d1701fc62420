// The image list window: its cells drawn, the messages of its paging, and a
// click on a cell.
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "store/long_operation.h"
#include "tests/views_images/fixture.h"
#include "views/images/image_list.h"

namespace {

using namespace store;
using images_test::Exam;

constexpr const char* kNoMore = "データは以上です。";

class ImageListTest : public images_test::DriveTest {
 protected:
  Form8& Open() {
    Start();
    form = std::make_unique<Form8>(store, session, ui);
    form->openDetail = [this](int n) { opened.push_back(n); };
    form->Open();
    return *form;
  }
  // The file numbers the cells show, "" for an empty cell.
  std::vector<QString> Numbers() const {
    std::vector<QString> numbers;
    for (QLabel* l : form->Label2) numbers.push_back(l->text());
    return numbers;
  }
  std::vector<QString> Expected(std::vector<int> records) const {
    std::vector<QString> v;
    for (int n : records) v.push_back(n == 0 ? QString() : QString::number(n));
    return v;
  }
  // Every cell with a number has its picture and its date and name; the
  // others are empty throughout.
  void ExpectCellsConsistent() const {
    for (int k = 0; k < kImageCells; ++k) {
      const bool filled = !form->Label2[k]->text().isEmpty();
      EXPECT_EQ(!form->Image1[k]->pixmap().isNull(), filled) << "cell " << k;
      EXPECT_EQ(!form->Label3[k]->text().isEmpty(), filled) << "cell " << k;
      EXPECT_EQ(!form->Label4[k]->text().isEmpty(), filled) << "cell " << k;
    }
  }

  sessions::ImageListSession session{store};
  std::unique_ptr<Form8> form;
  std::vector<int> opened;
};

TEST_F(ImageListTest, PagesAreDrawnAndTheSliderFollows) {
  WriteExamsWithPictures(14, {3, 9});
  Form8& f = Open();
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.windowTitle(), QStringLiteral("画像一覧"));
  EXPECT_EQ(Numbers(), Expected({1, 2, 4, 5, 6, 7}));
  EXPECT_EQ(f.Label3[2]->text(), QStringLiteral("2005/03/05"));
  EXPECT_EQ(f.Label4[2]->text(), QStringLiteral("患者4"));
  EXPECT_EQ(f.Slider1->minimum(), 1);
  EXPECT_EQ(f.Slider1->maximum(), 14);
  ExpectCellsConsistent();

  f.Command1->click();
  EXPECT_EQ(Numbers(), Expected({8, 10, 11, 12, 13, 14}));
  EXPECT_EQ(f.Slider1->value(), 14);
  ExpectCellsConsistent();

  // Past the end: the message without an icon, the page as it was.
  ui.Expect(kNoMore);
  f.Command1->click();
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].style, platform::kOkOnly);
  EXPECT_EQ(ui.Boxes()[0].title, "Velunor2.0");
  EXPECT_EQ(Numbers(), Expected({8, 10, 11, 12, 13, 14}));

  f.Command2->click();
  EXPECT_EQ(Numbers(), Expected({4, 5, 6, 7, 8, 10}));
  EXPECT_EQ(f.Slider1->value(), 10);
}

TEST_F(ImageListTest, APictureThatCannotBeDecodedLeavesItsCellWithoutAPicture) {
  WriteExamsWithPictures(3, {2});
  t.WriteBytes("C:\\VLN2\\GAZOU\\IMG2.jpg", "no picture here");
  Form8& f = Open();
  EXPECT_EQ(Numbers(), Expected({1, 2, 3, 0, 0, 0}));
  EXPECT_TRUE(f.Image1[1]->pixmap().isNull());
  EXPECT_EQ(f.Label4[1]->text(), QStringLiteral("患者2"));
}

TEST_F(ImageListTest, TheSliderDrawsFromItsRecordAndRefusesBeyondTheData) {
  WriteExamsWithPictures(14, {3, 9});
  Form8& f = Open();
  f.Slider1->setValue(9);
  f.Slider1_Click();
  EXPECT_EQ(Numbers(), Expected({10, 11, 12, 13, 14, 0}));

  // The data shrank under the slider: its last position is past the end.
  std::filesystem::resize_file(store.Files().HostPath(store::kDataFile), 13 * 579);
  ASSERT_TRUE(store.OpenAllFiles().ok());
  f.Slider1->setValue(14);
  ui.Expect(kNoMore);
  f.Slider1_Click();
  EXPECT_EQ(ui.Boxes().back().style, platform::kOkOnly);
  EXPECT_EQ(Numbers(), Expected({10, 11, 12, 13, 14, 0}));
}

TEST_F(ImageListTest, ACellClickOpensItsRecordAndAnEmptyCellDoesNothing) {
  WriteExamsWithPictures(8, {3});
  Form8& f = Open();
  f.Command1->click();  // 8 alone on the second page
  ASSERT_EQ(Numbers(), Expected({8, 0, 0, 0, 0, 0}));

  QTest::mouseClick(f.Image1[1], Qt::LeftButton);
  QTest::mouseClick(f.Image1[5], Qt::LeftButton);
  EXPECT_TRUE(opened.empty());

  QTest::mouseClick(f.Image1[0], Qt::LeftButton);
  EXPECT_EQ(opened, std::vector<int>{8});
  EXPECT_TRUE(f.isVisible());
}

TEST_F(ImageListTest, NothingRunsWhileALongOperationHoldsTheStore) {
  WriteExamsWithPictures(14);
  Form8& f = Open();
  store::LongOperation operation(store);
  f.Command1->click();
  QTest::mouseClick(f.Image1[0], Qt::LeftButton);
  EXPECT_EQ(session.SearchStart(), 6);
  EXPECT_TRUE(opened.empty());
}

TEST_F(ImageListTest, CloseHidesTheList) {
  WriteExamsWithPictures(2);
  Form8& f = Open();
  QTest::keyClick(&f, Qt::Key_Escape);
  EXPECT_FALSE(f.isVisible());
}

}  // namespace
