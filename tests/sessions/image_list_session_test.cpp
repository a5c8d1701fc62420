// The image list on its session: which records fill a page, the paging of
// next, previous and the slider, a cell's record and the detail view's.
#include "sessions/image_list_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/image_files.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/records.h"

namespace {

using sessions::ImageListSession;
using sessions::ImagePageOutcome;
using sessions::Message;
using store::ExamField;
using store::ExamRecord;
using testing_support::Exam;

const Message kNoMore{"データは以上です。", platform::kOkOnly};

class ImageListSessionTest : public ::testing::Test {
 protected:
  // Examinations 1 ... count, those of `without` with no picture file.
  void Start(int count, const std::vector<int>& without = {}) {
    memory.WriteBytes(store::kDataFile, testing_support::ExamFileBytes(count));
    for (int n = 1; n <= count; ++n) {
      if (std::find(without.begin(), without.end(), n) == without.end()) {
        memory.WriteBytes("C:\\VLN2\\GAZOU\\IMG" + std::to_string(n) + ".jpg", "jpeg");
      }
    }
    ASSERT_TRUE(store.StartUp().ok());
  }
  static std::vector<int> Records(const ImagePageOutcome& page) {
    std::vector<int> records;
    for (const store::ImageCell& cell : page.cells) records.push_back(cell.recordNo);
    return records;
  }

  testing_support::MemoryFileSystem memory;
  testing_support::FaultyFileSystem files{memory};
  store::Store store{files};
  ImageListSession images{store};
};

TEST_F(ImageListSessionTest, PagingThroughFourteenRecordsWithoutPicturesForThreeAndNine) {
  struct Step {
    const char* command;  // "open", "next", "previous", "slider N"
    bool draw;
    std::vector<int> records;
    int searchStart;
  };
  const std::vector<Step> steps = {
      {"open", true, {1, 2, 4, 5, 6, 7}, 7},
      {"next", true, {8, 10, 11, 12, 13, 14}, 14},
      {"next", false, {}, 15},  // past the end: nothing drawn
      // Previous steps back 11 from there: 4 on, the 9 gap taking 10 in.
      {"previous", true, {4, 5, 6, 7, 8, 10}, 10},
      {"previous", true, {1, 2, 4, 5, 6, 7}, 7},
      {"slider 9", true, {10, 11, 12, 13, 14}, 15},
      {"slider 15", false, {}, 15},
      {"previous", true, {4, 5, 6, 7, 8, 10}, 10},
  };
  Start(14, {3, 9});
  EXPECT_EQ(images.SliderMaximum(), 14);
  for (const Step& step : steps) {
    const std::string command = step.command;
    const ImagePageOutcome page = command == "open"   ? images.Open()
                                  : command == "next" ? images.Next()
                                  : command == "previous"
                                      ? images.Previous()
                                      : images.Slider(std::stoi(command.substr(7)));
    EXPECT_EQ(page.draw, step.draw) << command;
    EXPECT_EQ(Records(page), step.records) << command;
    EXPECT_EQ(page.searchStart, step.searchStart) << command;
    EXPECT_EQ(images.SearchStart(), step.searchStart) << command;
    EXPECT_EQ(page.messages, step.draw ? std::vector<Message>{} : std::vector<Message>{kNoMore})
        << command;
  }
}

TEST_F(ImageListSessionTest, CellsCarryThePictureFileDateAndName) {
  Start(12, {1, 2, 3});
  const ImagePageOutcome page = images.Open();
  EXPECT_EQ(Records(page), (std::vector<int>{4, 5, 6, 7, 8, 9}));
  ASSERT_FALSE(page.cells.empty());
  EXPECT_EQ(page.cells[0].imageFile, "C:\\VLN2\\GAZOU\\IMG4.jpg");
  EXPECT_EQ(page.cells[0].name, "患者4");
  EXPECT_EQ(page.cells[0].examDate, Exam(4).Record().Get(ExamField::ExamDate));
}

TEST_F(ImageListSessionTest, PicturesAreFoundIgnoringCaseAndUnstorableNamesAreSkipped) {
  std::vector<ExamRecord> records = {Exam(1), Exam(2).With(ExamField::ImageName, "img2"),
                                     Exam(3).With(ExamField::ImageName, "a:b"),
                                     Exam(4).With(ExamField::ImageName, "")};
  memory.WriteBytes(store::kDataFile, testing_support::FileBytes(records));
  for (const char* name : {"IMG1.jpg", "IMG2.JPG", "a_b.jpg", ".jpg"}) {
    memory.WriteBytes(std::string("C:\\VLN2\\GAZOU\\") + name, "jpeg");
  }
  ASSERT_TRUE(store.StartUp().ok());
  const ImagePageOutcome page = images.Open();
  EXPECT_EQ(Records(page), (std::vector<int>{1, 2}));
  EXPECT_EQ(page.cells[1].imageFile, "C:\\VLN2\\GAZOU\\IMG2.JPG");
  EXPECT_EQ(page.searchStart, 5);
}

TEST_F(ImageListSessionTest, TheWalkAgreesWithTheLookupOfEachRecord) {
  std::vector<ExamRecord> records;
  for (int n = 1; n <= 40; ++n) {
    ExamRecord r = Exam(n);
    if (n % 7 == 0) r.Set(ExamField::ImageName, "Mixed" + std::to_string(n));
    records.push_back(r);
    if (n % 3 == 0) memory.WriteBytes("C:\\VLN2\\GAZOU\\IMG" + std::to_string(n) + ".jpg", "j");
    if (n % 7 == 0) memory.WriteBytes("C:\\VLN2\\GAZOU\\mixed" + std::to_string(n) + ".JPG", "j");
  }
  memory.WriteBytes(store::kDataFile, testing_support::FileBytes(records));
  ASSERT_TRUE(store.StartUp().ok());
  std::vector<int> walked;
  for (ImagePageOutcome page = images.Open(); page.draw; page = images.Next()) {
    for (int n : Records(page)) walked.push_back(n);
  }
  std::vector<int> expected;
  for (int n = 1; n <= 40; ++n) {
    if (!store::FindImageFile(files, records[n - 1].Get(ExamField::ImageName)).empty()) {
      expected.push_back(n);
    }
  }
  EXPECT_EQ(walked, expected);
}

TEST_F(ImageListSessionTest, AReadFailureEndsThePageWithTheCellsBeforeIt) {
  Start(8);
  store.CloseAllFiles();
  const ImagePageOutcome page = images.Open();
  EXPECT_TRUE(page.draw);
  EXPECT_TRUE(page.cells.empty());
  EXPECT_EQ(page.messages,
            (std::vector<Message>{
                {platform::ErrorText(platform::kBadFileNameOrNumber), platform::kExclamation}}));
}

TEST_F(ImageListSessionTest, ACellsRecordMustStillBeInTheDataFile) {
  Start(8);
  for (const auto& [recordNo, expected] :
       std::vector<std::pair<int, int>>{{1, 1}, {8, 8}, {0, 0}, {9, 0}, {-3, 0}}) {
    EXPECT_EQ(images.CellRecord(recordNo), expected) << recordNo;
  }
}

TEST_F(ImageListSessionTest, TheDetailViewGetsTheRecordAndTheNumberItCarries) {
  memory.WriteBytes(store::kDataFile, testing_support::FileBytes(
                                          {Exam(1), Exam(2).With(ExamField::RecordNo, " 17")}));
  ASSERT_TRUE(store.StartUp().ok());
  struct Case {
    int n;
    bool read;
    int recordNumber;
  };
  store.CloseAllFiles();
  EXPECT_EQ(images.ReadDetail(1).messages,
            (std::vector<Message>{
                {platform::ErrorText(platform::kBadFileNameOrNumber), platform::kExclamation}}));
  ASSERT_TRUE(store.OpenAllFiles().ok());
  for (const Case& c : std::vector<Case>{{1, true, 1}, {2, true, 17}}) {
    const sessions::DetailOutcome detail = images.ReadDetail(c.n);
    EXPECT_EQ(detail.read, c.read) << c.n;
    EXPECT_EQ(detail.recordNumber, c.recordNumber) << c.n;
    EXPECT_TRUE(detail.Silent()) << c.n;
    EXPECT_EQ(detail.record.Get(ExamField::Name), "患者" + std::to_string(c.n));
  }
}

}  // namespace
