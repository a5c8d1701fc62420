// The image list: which records fill a page, the paging of next, previous
// and the slider, and a click on a cell.
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "store/image_files.h"
#include "store/image_pages.h"
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
    form = std::make_unique<Form8>(store, ui);
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

  std::unique_ptr<Form8> form;
  std::vector<int> opened;
};

TEST_F(ImageListTest, FourteenRecordsWithoutPicturesForThreeAndNinePageThroughToTheEnd) {
  WriteExamsWithPictures(14, {3, 9});
  Form8& f = Open();
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.windowTitle(), QStringLiteral("画像一覧"));
  EXPECT_EQ(Numbers(), Expected({1, 2, 4, 5, 6, 7}));
  EXPECT_EQ(f.SearchStart, 7);
  EXPECT_EQ(f.Label3[2]->text(), QStringLiteral("2005/03/05"));
  EXPECT_EQ(f.Label4[2]->text(), QStringLiteral("患者4"));
  EXPECT_EQ(f.Slider1->minimum(), 1);
  EXPECT_EQ(f.Slider1->maximum(), 14);
  ExpectCellsConsistent();

  f.Command1->click();
  EXPECT_EQ(Numbers(), Expected({8, 10, 11, 12, 13, 14}));
  EXPECT_EQ(f.SearchStart, 14);
  EXPECT_EQ(f.Slider1->value(), 14);
  ExpectCellsConsistent();

  // Past the end: the message without an icon, the page as it was.
  ui.Expect(kNoMore);
  f.Command1->click();
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].style, platform::kOkOnly);
  EXPECT_EQ(ui.Boxes()[0].title, "Velunor2.0");
  EXPECT_EQ(Numbers(), Expected({8, 10, 11, 12, 13, 14}));
  EXPECT_EQ(f.SearchStart, 15);

  // Previous steps back 11 from there: 4 on, the 9 gap taking 10 in.
  f.Command2->click();
  EXPECT_EQ(Numbers(), Expected({4, 5, 6, 7, 8, 10}));
  EXPECT_EQ(f.SearchStart, 10);
  EXPECT_EQ(f.Slider1->value(), 10);
  f.Command2->click();
  EXPECT_EQ(Numbers(), Expected({1, 2, 4, 5, 6, 7}));
  EXPECT_EQ(f.SearchStart, 7);
}

TEST_F(ImageListTest, RecordsWithoutPicturesAtTheStartAreSkipped) {
  WriteExamsWithPictures(12, {1, 2, 3});
  Form8& f = Open();
  EXPECT_EQ(Numbers(), Expected({4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(f.SearchStart, 9);
  // The walk leaves the last record it read in CurrentRecord.
  EXPECT_EQ(store.CurrentRecord.Get(ExamField::Name), "患者9");
}

TEST_F(ImageListTest, PicturesAreFoundIgnoringCaseAndUnstorableNamesAreSkipped) {
  std::vector<ExamRecord> records = {Exam(1), Exam(2), Exam(3), Exam(4)};
  records[1].Set(ExamField::ImageName, "img2");  // stored as IMG2.JPG below
  records[2].Set(ExamField::ImageName, "a:b");
  records[3].Set(ExamField::ImageName, "");
  WriteExams(records);
  WritePicture("IMG1.jpg");
  WritePicture("IMG2.JPG");
  WritePicture("a_b.jpg");
  WritePicture(".jpg");
  Form8& f = Open();
  EXPECT_EQ(Numbers(), Expected({1, 2, 0, 0, 0, 0}));
  EXPECT_EQ(f.SearchStart, 5);
  ExpectCellsConsistent();
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
  EXPECT_EQ(f.SearchStart, 15);

  // The data shrank under the slider: its last position is past the end.
  store.RecordCount = 13;
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
  EXPECT_EQ(f.SearchStart, 6);
  EXPECT_TRUE(opened.empty());
}

TEST_F(ImageListTest, CloseHidesTheList) {
  WriteExamsWithPictures(2);
  Form8& f = Open();
  QTest::keyClick(&f, Qt::Key_Escape);
  EXPECT_FALSE(f.isVisible());
}

// The walk itself, on a file system whose picture folder holds many names.
TEST_F(ImageListTest, TheWalkAgreesWithTheLookupOfEachRecord) {
  std::vector<ExamRecord> records;
  for (int n = 1; n <= 40; ++n) {
    ExamRecord r = Exam(n);
    if (n % 7 == 0) r.Set(ExamField::ImageName, "Mixed" + std::to_string(n));
    records.push_back(r);
    if (n % 3 == 0) WritePicture("IMG" + std::to_string(n) + ".jpg");
    if (n % 7 == 0) WritePicture("mixed" + std::to_string(n) + ".JPG");
  }
  WriteExams(records);
  Start();
  std::vector<int> walked;
  std::int32_t start = 1;
  std::vector<ImageCell> cells;
  while (start <= store.RecordCount) {
    ASSERT_TRUE(WalkImagePage(store, start, cells).ok());
    for (const ImageCell& c : cells) walked.push_back(c.recordNo);
    start += 1;
  }
  std::vector<int> expected;
  for (int n = 1; n <= 40; ++n) {
    if (!FindImageFile(files, records[n - 1].Get(ExamField::ImageName)).empty()) {
      expected.push_back(n);
    }
  }
  EXPECT_EQ(walked, expected);
}

}  // namespace
