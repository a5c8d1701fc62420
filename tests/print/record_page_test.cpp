#include "store/record_page.h"

#include <gtest/gtest.h>

#include <QString>

#include "tests/print/print_fixture.h"

namespace {

using print_test::Exam;
using testing_support::RecordingPrinter;
using Kind = RecordingPrinter::Kind;

constexpr const char* kPaperQuestion = "プリンターを　「Ａ４縦向き」　にセットしましたか。";

// A comment typed as two lines with blanks: 48 characters once the blanks
// are gone, then 90 more; 197 of the field's 200 bytes.
std::string TwoLineComment() {
  std::string first, second;
  for (int i = 0; i < 8; ++i) first += "ST低下 あり ";
  for (int i = 0; i < 9; ++i) second += "0123456789 ";
  return first + "\r\n" + second;
}

// The characters from..from+count-1 (1-based), counted independently of
// the code under test.
std::string Slice(const std::string& text, int from, int count) {
  return QString::fromStdString(text).mid(from - 1, count).toStdString();
}

store::RecordPage ScreenValues() {
  store::RecordPage page;
  page.examDate = "2006/01/02";
  page.patientId = "100002";
  page.name = "山田　花子 ";  // edited on screen, not registered
  page.sex = "F";
  page.age = "22";
  page.department = "総務部";
  page.heartRate = "62";
  page.leadSites = {" V1 ", "II", "", "aVF", "V6"};
  page.findings = {"ST低下 ", "", "T波逆転", "", "Q波"};
  page.arrhythmias = {"心房細動", "", "", "", " 期外収縮 "};
  page.picture.width = 4;
  page.picture.height = 2;
  page.picture.pixels.assign(8, 0xFFFF0000u);
  return page;
}

class RecordPrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<store::ExamRecord> records = {Exam(1), Exam(2), Exam(3)};
    records[1].Set(store::ExamField::Comment, TwoLineComment());
    print_test::WriteRecords(fx.drive, store::kDataFile, records);
    ASSERT_TRUE(fx.store.StartUp().ok());
    ASSERT_EQ(fx.store.RecordCount(), 3);
    request.recordNumber = 2;
    request.printerName = "Printer B";
    request.page = [] { return ScreenValues(); };
  }
  void TearDown() override {
    EXPECT_TRUE(fx.ui.Unexpected().empty()) << fx.Unexpected();
    EXPECT_TRUE(fx.ui.AllAnswered());
    EXPECT_FALSE(fx.ui.busyCursor);
  }
  void Print() { store::PrintRecord(fx.store, fx.ui, fx.printer, request); }

  print_test::Fixture fx;
  store::RecordPrintRequest request;
};

TEST_F(RecordPrintTest, EveryValueAtItsCellTheStoredCommentInSlicesAndThePicture) {
  fx.ui.Expect(kPaperQuestion, platform::kAnswerYes);
  fx.ui.Expect("印刷します", platform::kAnswerYes);
  Print();

  ASSERT_EQ(fx.ui.Boxes().size(), 2u);
  EXPECT_EQ(fx.ui.Boxes()[0].title, "プリンター設定確認");
  EXPECT_EQ(fx.ui.Boxes()[0].style, platform::kYesNoCancel);
  EXPECT_EQ(fx.ui.Boxes()[1].title, "Velunor2.0");
  EXPECT_EQ(fx.ui.Boxes()[1].style, platform::kYesNo);

  // One command on the current printer, one document.
  ASSERT_EQ(fx.printer.jobs.size(), 1u);
  EXPECT_EQ(fx.printer.jobs[0].device, "Printer B");
  EXPECT_TRUE(fx.printer.jobs[0].ended);
  EXPECT_EQ(fx.printer.jobs[0].title, "心電図_2006-01-02_ID100002_No2");
  EXPECT_EQ(fx.printer.EndedDocuments(), 1);
  EXPECT_EQ(fx.printer.items.back().kind, Kind::EndDoc);

  const std::string comment =
      "ST低下ありST低下ありST低下ありST低下ありST低下ありST低下ありST低下ありST低下あり"
      "0123456789012345678901234567890123456789012345678901234567890123456789"
      "01234567890123456789";
  ASSERT_EQ(QString::fromStdString(comment).size(), 138);
  const std::map<std::pair<double, double>, std::string> expected = {
      {{5, 5}, "検査日: 2006/01/02"},
      {{5, 7}, "ID  : 100002"},
      {{5, 9}, "氏名: 山田　花子 "},
      {{5, 11}, "性別: F"},
      {{5, 13}, "年齢: 22"},
      {{5, 15}, "部署: 総務部"},
      {{5, 17}, "HR  : 62"},
      {{30, 5}, "異常所見1: V1/ST低下"},
      {{30, 7}, "異常所見2: II/"},
      {{30, 9}, "異常所見3: /T波逆転"},
      {{30, 11}, "異常所見4: aVF/"},
      {{30, 13}, "異常所見5: V6/Q波"},
      {{30, 15}, "不整脈1 : 心房細動"},
      {{30, 17}, "不整脈2 : "},
      {{30, 19}, "不整脈3 : "},
      {{30, 21}, "不整脈4 : "},
      {{30, 23}, "不整脈5 : 期外収縮"},
      {{5, 24}, "(コメント)"},
      {{5, 25}, Slice(comment, 1, 60)},
      {{5, 26}, Slice(comment, 61, 60)},
      {{5, 27}, Slice(comment, 121, 60)},
      {{5, 28}, ""},
      {{5, 29}, ""},
      {{5, 30}, ""},
      {{5, 31}, ""},
  };
  EXPECT_EQ(fx.printer.TextsOf(1), expected) << fx.printer.Dump();
  EXPECT_EQ(Slice(comment, 121, 60), "234567890123456789");
  for (const RecordingPrinter::Item& text : fx.printer.ItemsOf(Kind::Text)) {
    EXPECT_EQ(text.font, "ＭＳ ゴシック");
    EXPECT_EQ(text.size, 12);
  }

  const auto pictures = fx.printer.ItemsOf(Kind::Picture);
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(pictures[0].x, 10);
  EXPECT_EQ(pictures[0].y, 32);
  EXPECT_EQ(pictures[0].width, 70);
  EXPECT_EQ(pictures[0].height, 25);
  EXPECT_EQ(pictures[0].pictureWidth, 4);
}

TEST_F(RecordPrintTest, NoRecordOnScreenCannotBePrinted) {
  for (int n : {0, -1, 4}) {
    request.recordNumber = n;
    fx.ui.Expect("印刷できません。");
    Print();
    ASSERT_FALSE(fx.ui.Boxes().empty());
    EXPECT_EQ(fx.ui.Boxes().back().style, platform::kExclamation);
    EXPECT_EQ(fx.ui.Boxes().back().title, "Velunor2.0");
  }
  EXPECT_EQ(fx.ui.Boxes().size(), 3u);
  EXPECT_TRUE(fx.printer.items.empty());
  EXPECT_TRUE(fx.printer.jobs.empty());
}

TEST_F(RecordPrintTest, CancelAtTheFirstQuestionOrNoAtTheSecondPrintsNothing) {
  fx.ui.Expect(kPaperQuestion, platform::kAnswerCancel);
  Print();
  fx.ui.Expect(kPaperQuestion, platform::kAnswerYes);
  fx.ui.Expect("印刷します", platform::kAnswerNo);
  Print();
  EXPECT_TRUE(fx.printer.items.empty());
  EXPECT_TRUE(fx.printer.jobs.empty());
  EXPECT_TRUE(fx.printer.propertiesShown.empty());
}

TEST_F(RecordPrintTest, NoToThePaperQuestionOpensThePrinterSettingsThenStillAsks) {
  fx.ui.Expect(kPaperQuestion, platform::kAnswerNo);
  fx.ui.Expect("印刷します", platform::kAnswerYes);
  fx.printer.onProperties = [this](std::string_view) {
    // The dialog is open before the second question.
    EXPECT_EQ(fx.ui.Boxes().size(), 1u);
  };
  Print();
  EXPECT_EQ(fx.printer.propertiesShown, std::vector<std::string>{"Printer B"});
  EXPECT_EQ(fx.printer.EndedDocuments(), 1);

  // A window with a settings dialog of its own gets it instead.
  int ownSettings = 0;
  request.printerSettings = [&ownSettings] { return ++ownSettings > 0; };
  fx.ui.Expect(kPaperQuestion, platform::kAnswerNo);
  fx.ui.Expect("印刷します", platform::kAnswerNo);
  Print();
  EXPECT_EQ(ownSettings, 1);
  EXPECT_EQ(fx.printer.propertiesShown.size(), 1u);
}

TEST_F(RecordPrintTest, CancellingThePrinterSettingsEndsThePrint) {
  // The printer's own properties and a window's settings dialog alike.
  for (const bool own : {false, true}) {
    fx.printer.propertiesAccepted = false;
    request.printerSettings = nullptr;
    if (own) request.printerSettings = [] { return false; };
    fx.ui.Expect(kPaperQuestion, platform::kAnswerNo);
    Print();
    EXPECT_EQ(fx.ui.Boxes().size(), own ? 2u : 1u) << own;  // no "印刷します"
    EXPECT_TRUE(fx.printer.jobs.empty()) << own;
  }
}

TEST_F(RecordPrintTest, PrinterErrorsAndAMissingPictureAreSkippedWithoutAMessage) {
  // No printer at all: every step fails, nothing is said, the pointer is back.
  fx.printer.failAll = true;
  fx.ui.Expect(kPaperQuestion, platform::kAnswerYes);
  fx.ui.Expect("印刷します", platform::kAnswerYes);
  Print();
  EXPECT_TRUE(fx.printer.items.empty());
  EXPECT_GT(fx.printer.drawingCalls, 25);  // every step was attempted

  // A failing picture and no picture: the rest of the page is printed.
  fx.printer.failAll = false;
  fx.printer.failPictures = true;
  fx.ui.Expect(kPaperQuestion, platform::kAnswerYes);
  fx.ui.Expect("印刷します", platform::kAnswerYes);
  Print();
  EXPECT_EQ(fx.printer.TextsOf(1).size(), 25u);
  EXPECT_EQ(fx.printer.EndedDocuments(), 1);

  fx.printer.failPictures = false;
  request.page = [] {
    store::RecordPage page = ScreenValues();
    page.picture = {};
    return page;
  };
  fx.ui.Expect(kPaperQuestion, platform::kAnswerYes);
  fx.ui.Expect("印刷します", platform::kAnswerYes);
  Print();
  EXPECT_EQ(fx.printer.TextsOf(2).size(), 25u);
  EXPECT_EQ(fx.printer.EndedDocuments(), 2);
  EXPECT_TRUE(fx.printer.ItemsOf(Kind::Picture).empty());
}

TEST_F(RecordPrintTest, ThePdfPrintersFileIsNamedToTheUser) {
  fx.printer.outputFile = "/home/user/Documents/Velunor2.0/a.pdf";
  fx.ui.Expect(kPaperQuestion, platform::kAnswerYes);
  fx.ui.Expect("印刷します", platform::kAnswerYes);
  fx.ui.Expect(
      "PDFファイルに保存しました。\nフォルダ: /home/user/Documents/Velunor2.0\nファイル: a.pdf");
  Print();
  EXPECT_EQ(fx.ui.Boxes().back().style, platform::kInformation);
}

TEST(CommentText, BlanksAndLineBreaksGoFullWidthBlanksStay) {
  EXPECT_EQ(store::CommentText(" a b\r\nc\td　e \n"), "abc\td　e");
  EXPECT_EQ(store::CharacterSlice("あいうえお", 2, 3), "いうえ");
  EXPECT_EQ(store::CharacterSlice("あいうえお", 4, 60), "えお");
  EXPECT_EQ(store::CharacterSlice("あいうえお", 6, 60), "");
  EXPECT_EQ(store::CharacterSlice("", 1, 60), "");
}

}  // namespace
