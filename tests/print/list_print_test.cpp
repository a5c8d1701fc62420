#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <optional>

#include "platform/error_text.h"
#include "store/long_operation.h"
#include "tests/print/print_fixture.h"
#include "views/list_print.h"
#include "views/print_range_dialog.h"

namespace {

using print_test::Exam;
using testing_support::RecordingPrinter;
using Kind = RecordingPrinter::Kind;

const std::string kTitle = "**********心電図ファイルリスト**********";

class Dialog4Test : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_TRUE(fx.ui.Unexpected().empty()) << fx.Unexpected();
    EXPECT_TRUE(fx.ui.AllAnswered());
    EXPECT_FALSE(fx.ui.busyCursor);
  }

  // A working file of `count` examinations (data-file numbers `numbers` when
  // given), opened and counted as a list view leaves it, and the dialog
  // opened by the list view's print command.
  void List(int count, std::vector<int> numbers = {}) {
    std::vector<store::ExamRecord> records;
    for (int p = 1; p <= count; ++p) {
      records.push_back(Exam(numbers.empty() ? p : numbers[static_cast<std::size_t>(p - 1)]));
    }
    print_test::WriteRecords(fx.drive, store::kDataFile, records);
    ASSERT_TRUE(fx.store.StartUp().ok());
    platform::NoProgress none;
    ASSERT_EQ(list.OpenListOfAllRecords(none).opening, sessions::ListOpening::Opened);
    ASSERT_EQ(list.ListCount(), count);
    dialog.emplace(list, fx.ui, fx.printer, [] { return std::string("Printer B"); });
    dialog->Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&*dialog));
  }

  void PrintRange(const QString& from, const QString& to) {
    dialog->Text1[0]->setText(from);
    dialog->Text1[1]->setText(to);
    dialog->OKButton->click();
  }

  // The record lines of document d, keyed by line: the texts at columns
  // 1, 11, 21, 31, 44, 54, 64, 74.
  std::map<double, std::vector<std::string>> Rows(int document) const {
    std::map<double, std::vector<std::string>> rows;
    for (const auto& [at, text] : fx.printer.TextsOf(document)) {
      if (at.second >= 7) rows[at.second].push_back(text);
    }
    return rows;
  }

  // The record line the list printout must give examination n.
  static std::vector<std::string> RowOf(int n) {
    const store::ExamRecord r = Exam(n);
    using F = store::ExamField;
    return {r.Get(F::RecordNo), r.Get(F::ExamDate), r.Get(F::PatientId),  r.Get(F::Name),
            r.Get(F::Sex),      r.Get(F::Age),      r.Get(F::Department), r.Get(F::HeartRate)};
  }

  void ExpectPage(int document, int page, int firstRecord, int records) {
    SCOPED_TRACE("document " + std::to_string(document));
    const auto texts = fx.printer.TextsOf(document);
    const std::map<std::pair<double, double>, std::string> header = {
        {{31, 2}, kTitle},     {{1, 3}, "Page=" + std::to_string(page)},
        {{1, 5}, "(ﾌｧｲﾙNO)"},  {{13, 5}, "( 撮影日 )"},
        {{21, 5}, "  (ID )"},  {{33, 5}, " (氏名) "},
        {{42, 5}, " (性別) "}, {{52, 5}, "( 年齢 )"},
        {{63, 5}, "( 部署 )"}, {{73, 5}, "( HR )"},
    };
    for (const auto& [at, text] : header) {
      auto it = texts.find(at);
      ASSERT_NE(it, texts.end()) << "(" << at.first << "," << at.second << ")";
      EXPECT_EQ(it->second, text);
    }
    std::map<double, std::vector<std::string>> expected;
    const double columns[] = {1, 11, 21, 31, 44, 54, 64, 74};
    for (int i = 0; i < records; ++i) {
      const double line = 7 + 2 * i;
      expected[line] = RowOf(firstRecord + i);
      for (double x : columns) EXPECT_TRUE(texts.count({x, line})) << x << "," << line;
    }
    EXPECT_EQ(Rows(document), expected);
    EXPECT_EQ(texts.size(), header.size() + 8u * static_cast<std::size_t>(records));
  }

  print_test::Fixture fx;
  sessions::ExamListSession list{fx.store};
  std::optional<Dialog4> dialog;
};

TEST_F(Dialog4Test, AllOfFiftyRecordsIsTwoPagesOfTwentyFive) {
  List(50);
  dialog->Option2->click();
  dialog->OKButton->click();
  ASSERT_EQ(fx.printer.jobs.size(), 1u);
  EXPECT_EQ(fx.printer.jobs[0].device, "Printer B");
  EXPECT_EQ(fx.printer.jobs[0].title, "心電図ファイルリスト_1-50");
  EXPECT_TRUE(fx.printer.jobs[0].ended);
  // Every page is a document of its own.
  EXPECT_EQ(fx.printer.EndedDocuments(), 2);
  ExpectPage(1, 1, 1, 25);
  ExpectPage(2, 2, 26, 25);
  EXPECT_TRUE(fx.printer.ItemsOf(Kind::NewPage).empty());
  EXPECT_FALSE(dialog->isVisible());
  for (const RecordingPrinter::Item& text : fx.printer.ItemsOf(Kind::Text)) {
    EXPECT_EQ(text.font, "ＭＳ ゴシック");
    EXPECT_EQ(text.bold, text.text == kTitle);
  }
}

TEST_F(Dialog4Test, RangesAreListPositionsAndFillWholePagesOnly) {
  List(40);
  PrintRange(QStringLiteral("26"), QStringLiteral("40"));
  EXPECT_EQ(fx.printer.EndedDocuments(), 1);
  ExpectPage(1, 1, 26, 15);

  // Exactly one page's worth gives no page of headings alone.
  dialog->Open();
  PrintRange(QStringLiteral("1"), QStringLiteral("25"));
  EXPECT_EQ(fx.printer.EndedDocuments(), 2);
  ExpectPage(2, 1, 1, 25);

  // 26 records: the second page holds one.
  dialog->Open();
  PrintRange(QStringLiteral("0.6"), QStringLiteral("26.4"));
  EXPECT_EQ(fx.printer.EndedDocuments(), 4);
  ExpectPage(3, 1, 1, 25);
  ExpectPage(4, 2, 26, 1);
  EXPECT_EQ(fx.printer.jobs.size(), 3u);
}

TEST_F(Dialog4Test, ASearchResultPrintsItsRecordsWithTheirDataFileNumbers) {
  List(3, {12, 30, 31});
  PrintRange(QStringLiteral("1"), QStringLiteral("3"));
  const auto rows = Rows(1);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows.at(7), RowOf(12));
  EXPECT_EQ(rows.at(9), RowOf(30));
  EXPECT_EQ(rows.at(11), RowOf(31));
}

TEST_F(Dialog4Test, InvalidRangesAreRefusedAndTheDialogStays) {
  List(40);
  const std::pair<const char*, const char*> refused[] = {
      {"5", "3"},         {"0", "3"},  {"3", "41"},   {"", ""},     {"abc", "3"},
      {"99999", "99999"}, {"-1", "2"}, {"1e1", "20"}, {"1", "2d1"},
  };
  for (const auto& [from, to] : refused) {
    SCOPED_TRACE(std::string(from) + " to " + to);
    fx.ui.Expect("入力が不正です。");
    PrintRange(QString::fromUtf8(from), QString::fromUtf8(to));
    EXPECT_EQ(fx.ui.Boxes().back().style, platform::kOkOnly);
    EXPECT_EQ(dialog->Text1[0]->text(), QString::fromUtf8(from));
    EXPECT_EQ(dialog->Text1[1]->text(), QString::fromUtf8(to));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), dialog->Text1[0]);
  }
  EXPECT_TRUE(fx.printer.items.empty());
  EXPECT_TRUE(fx.printer.jobs.empty());
}

TEST_F(Dialog4Test, TheOptionsShowAndHideTheRangeAndOpeningEmptiesIt) {
  List(3);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->isModal());
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("印刷範囲指定"));
  EXPECT_TRUE(dialog->Option1->isChecked());
  EXPECT_EQ(QApplication::focusWidget(), dialog->Text1[0]);

  dialog->Option2->click();
  for (QWidget* w :
       {static_cast<QWidget*>(dialog->Label1), static_cast<QWidget*>(dialog->Label2),
        static_cast<QWidget*>(dialog->Text1[0]), static_cast<QWidget*>(dialog->Text1[1])}) {
    EXPECT_FALSE(w->isVisible());
  }
  dialog->Option1->click();
  EXPECT_TRUE(dialog->Text1[1]->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), dialog->Text1[0]);

  // Enter moves on from a range box; Esc closes without printing.
  QTest::keyClicks(dialog->Text1[0], QStringLiteral("2"));
  QTest::keyClick(dialog->Text1[0], Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), dialog->Text1[1]);
  QTest::keyClick(dialog->Text1[1], Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->Text1[0]->text(), QStringLiteral("2"));

  dialog->Option2->click();
  dialog->Open();
  EXPECT_TRUE(dialog->Text1[0]->text().isEmpty());
  EXPECT_TRUE(dialog->Text1[0]->isVisible());
  EXPECT_TRUE(dialog->Option1->isChecked());
  EXPECT_TRUE(fx.printer.items.empty());
}

TEST_F(Dialog4Test, APrinterErrorStopsThePrintoutAndIsShown) {
  List(30);
  fx.printer.failFromCall = 120;  // on the first page
  fx.ui.Expect(platform::ErrorText(482));
  dialog->Option2->click();
  dialog->OKButton->click();
  EXPECT_EQ(fx.ui.Boxes().back().style, platform::kExclamation);
  EXPECT_EQ(fx.printer.EndedDocuments(), 0);
  EXPECT_EQ(fx.printer.ItemsOf(Kind::KillDoc).size(), 1u);
  EXPECT_EQ(fx.printer.drawingCalls, 120);  // nothing attempted after the failure
  EXPECT_TRUE(fx.printer.jobs.back().ended);
  EXPECT_TRUE(dialog->isVisible());
}

// Progress that records its calls and whether the guard held at each.
class RecordingProgress : public platform::Progress {
 public:
  explicit RecordingProgress(const store::Store& store) : store_(store) {}
  void BeginPhase(std::string_view caption, int maximum) override {
    Note("begin " + std::string(caption) + " " + std::to_string(maximum));
  }
  void Advance(int value) override { Note("advance " + std::to_string(value)); }
  void Hide() override { Note("hide"); }
  std::vector<std::string> calls;

 private:
  void Note(std::string call) {
    calls.push_back(std::move(call) + (store_.LongOperationRunning() ? "" : " (unguarded)"));
  }
  const store::Store& store_;
};

TEST_F(Dialog4Test, PrintingIsALongOperationShowingItsProgressAPage) {
  List(60);
  RecordingProgress progress(fx.store);
  dialog->SetProgress(&progress);
  dialog->Option2->click();
  dialog->OKButton->click();
  EXPECT_EQ(progress.calls, (std::vector<std::string>{"begin 印刷中・・・ 3", "advance 1",
                                                      "advance 2", "advance 3", "hide"}));
  EXPECT_FALSE(fx.store.LongOperationRunning());
  EXPECT_EQ(fx.printer.EndedDocuments(), 3);

  // While another long operation runs the command does nothing.
  dialog->Open();
  dialog->Option2->click();
  {
    store::LongOperation other(fx.store);
    dialog->OKButton->click();
  }
  EXPECT_EQ(fx.printer.jobs.size(), 1u);
  EXPECT_TRUE(dialog->isVisible());
}

TEST(ListPageCount, TwentyFiveRecordsAPage) {
  EXPECT_EQ(views::ListPageCount(0), 1);
  EXPECT_EQ(views::ListPageCount(25), 1);
  EXPECT_EQ(views::ListPageCount(26), 2);
  EXPECT_EQ(views::ListPageCount(100000), 4000);
}

}  // namespace
