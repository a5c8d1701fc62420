// The detail view: filling and refilling, the file facts, enlarging and
// printing the page the main window prints.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "mainwin/main_window.h"
#include "platform/error_text.h"
#include "store/file_facts_text.h"
#include "tests/views_images/fixture.h"
#include "views/images/detail_view.h"

namespace {

using namespace store;
using images_test::Exam;
using testing_support::RecordingPrinter;

constexpr const char* kPortraitQuestion = "プリンターを　「Ａ４縦向き」　にセットしましたか。";

class DetailViewTest : public images_test::DriveTest {
 protected:
  Form9& View() {
    if (!view) {
      view =
          std::make_unique<Form9>(store, session, ui, &printer, [this] { return mainPrinter(); });
      view->showZoom = [this](const QPixmap& picture, const QString& l1, const QString& l2,
                              const std::string& file) {
        zoomed.push_back({picture, l1, l2, file});
      };
    }
    return *view;
  }
  // Every field, list and fact of the view.
  std::vector<QString> Everything() {
    Form9& v = *view;
    std::vector<QString> all;
    for (QLineEdit* e : v.Text1) all.push_back(e->text());
    all.push_back(v.Text2->text());
    all.push_back(v.Text3->toPlainText());
    for (QComboBox* c : {v.Combo1, v.Combo2}) all.push_back(c->currentText());
    for (int i = 0; i < 5; ++i) {
      for (QComboBox* c : {v.Combo3[i], v.Combo6[i], v.Combo7[i]}) {
        all.push_back(c->currentText());
        for (int k = 0; k < c->count(); ++k)
          all.push_back(QStringLiteral("item:") + c->itemText(k));
      }
    }
    for (QLabel* l : v.Label19) all.push_back(l->text());
    all.push_back(v.Label14->text());
    return all;
  }

  struct Zoomed {
    QPixmap picture;
    QString label1, label2;
    std::string file;
  };
  sessions::ImageListSession session{store};
  std::unique_ptr<Form9> view;
  std::vector<Zoomed> zoomed;
  std::function<std::string()> mainPrinter = [] { return std::string("Printer A"); };
};

TEST_F(DetailViewTest, ShowsTheRecordReadOnlyWithItsPictureAndFacts) {
  WriteExamsWithPictures(3);
  Start();
  Form9& v = View();
  ASSERT_TRUE(v.Open(2));
  EXPECT_TRUE(v.isVisible());
  EXPECT_EQ(v.windowTitle(), QStringLiteral("詳細表示"));
  EXPECT_EQ(v.Label14->text(), QStringLiteral("000002"));
  EXPECT_EQ(v.Text1[0]->text(), QStringLiteral("2005/03/03"));
  EXPECT_EQ(v.Text1[2]->text(), QStringLiteral("患者2"));
  EXPECT_EQ(v.Combo2->currentText(), QStringLiteral("検査部2"));
  EXPECT_EQ(v.Combo6[4]->currentText(), QStringLiteral("所見2-4"));
  EXPECT_EQ(v.Combo7[0]->currentText(), QStringLiteral("不整脈2-0"));
  EXPECT_EQ(v.Text3->toPlainText(), QStringLiteral("所見 あり\n経過観察2"));
  EXPECT_EQ(v.Text2->text(), QStringLiteral("IMG2"));
  for (QWidget* w : std::initializer_list<QWidget*>{v.Text1[0], v.Text2, v.Text3, v.Combo1,
                                                    v.Combo3[2], v.Combo6[1], v.Combo7[4]}) {
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  }
  EXPECT_FALSE(v.Image1->pixmap().isNull());
  EXPECT_EQ(v.Label19[1]->text(), QStringLiteral("アーカイブ"));
  EXPECT_EQ(v.Label19[2]->text(), QStringLiteral("IMG2.jpg"));
  EXPECT_FALSE(v.Label19[0]->text().isEmpty());
}

TEST_F(DetailViewTest, RefillingLeavesNothingOfThePreviousRecord) {
  std::vector<ExamRecord> records = {Exam(1), ExamRecord()};
  records[1].Set(ExamField::RecordNo, "000002");
  records[1].Set(ExamField::PatientId, "000077");
  records[1].Set(ExamField::ImageName, "GONE");
  WriteExams(records);
  WritePicture("IMG1.jpg");
  Start();
  Form9& v = View();
  ASSERT_TRUE(v.Open(1));
  ASSERT_FALSE(v.Image1->pixmap().isNull());

  // A missing picture is said in the picture box, not in a box to answer.
  ASSERT_TRUE(v.Open(2));
  EXPECT_EQ(v.Image1->text(), QStringLiteral("画像：GONE.jpgはありません。"));
  std::vector<QString> expected(Everything().size());
  expected[1] = QStringLiteral("000077");
  expected.back() = QStringLiteral("000002");
  EXPECT_EQ(Everything(), expected);
  EXPECT_TRUE(v.Image1->pixmap().isNull());
  EXPECT_EQ(v.DetailImageName, "GONE.jpg");

  // Its picture, missing, is enlarged empty with the name and date lines.
  QTest::mouseClick(v.Image1, Qt::LeftButton);
  ASSERT_EQ(zoomed.size(), 1u);
  EXPECT_TRUE(zoomed[0].picture.isNull());
  EXPECT_EQ(zoomed[0].label1, QStringLiteral("氏名　：") + QString(20, QLatin1Char(' ')));
  EXPECT_EQ(zoomed[0].label2, QStringLiteral("検査日：") + QString(10, QLatin1Char(' ')));
}

TEST_F(DetailViewTest, EnlargesItsOwnRecord) {
  WriteExamsWithPictures(3);
  Start();
  Form9& v = View();
  ASSERT_TRUE(v.Open(1));
  QTest::mouseClick(v.Image1, Qt::LeftButton);
  ASSERT_EQ(zoomed.size(), 1u);
  // The picture as shown, handed on; the name field's 20 bytes untrimmed.
  EXPECT_EQ(zoomed[0].picture.cacheKey(), v.Image1->pixmap().cacheKey());
  EXPECT_EQ(zoomed[0].label1, QStringLiteral("氏名　：患者1               "));
  EXPECT_EQ(zoomed[0].label2, QStringLiteral("検査日：2005/03/02"));
  EXPECT_EQ(zoomed[0].file, "C:\\VLN2\\GAZOU\\IMG1.jpg");
}

TEST_F(DetailViewTest, SizesAreShownInKilobytesAndMegabytesWithTwoDecimals) {
  EXPECT_EQ(DetailSizeText(0), "");
  EXPECT_EQ(DetailSizeText(500), "");
  EXPECT_EQ(DetailSizeText(1023), "");
  EXPECT_EQ(DetailSizeText(1024), " 1Kﾊﾞｲﾄ");
  EXPECT_EQ(DetailSizeText(2048), " 2Kﾊﾞｲﾄ");
  EXPECT_EQ(DetailSizeText(1536), " 1.5Kﾊﾞｲﾄ");
  EXPECT_EQ(DetailSizeText(1100), " 1.07Kﾊﾞｲﾄ");
  EXPECT_EQ(DetailSizeText(1023999), " 1000Kﾊﾞｲﾄ");
  EXPECT_EQ(DetailSizeText(1024000), " 1Mﾊﾞｲﾄ");
  EXPECT_EQ(DetailSizeText(1536000), " 1.5Mﾊﾞｲﾄ");
  EXPECT_EQ(DetailSizeText(2097152), " 2.05Mﾊﾞｲﾄ");
}

TEST_F(DetailViewTest, TheSizeFactOfALargeFile) {
  WriteExams({Exam(1)});
  WritePicture("IMG1.jpg");
  std::string bytes = t.ReadBytes("C:\\VLN2\\GAZOU\\IMG1.jpg");
  bytes.resize(1536000, '\0');  // trailing bytes after the JPEG's end
  t.WriteBytes("C:\\VLN2\\GAZOU\\IMG1.jpg", bytes);
  Start();
  ASSERT_TRUE(View().Open(1));
  EXPECT_EQ(view->Label19[3]->text(), QStringLiteral(" 1.5Mﾊﾞｲﾄ"));
}

TEST_F(DetailViewTest, ARecordThatCannotBeReadLeavesTheViewAsItWas) {
  WriteExamsWithPictures(2);
  Start();
  Form9& v = View();
  ASSERT_TRUE(v.Open(1));
  store.CloseAllFiles();  // the data file was closed meanwhile
  ui.Expect(platform::ErrorText(52));
  EXPECT_FALSE(v.Open(2));
  EXPECT_EQ(v.Text1[2]->text(), QStringLiteral("患者1"));
}

// --- Printing -----------------------------------------------------------

class DetailPrintTest : public DetailViewTest {
 protected:
  void TearDown() override {
    form1.reset();
    DetailViewTest::TearDown();
  }
  Form1& Main() {
    form1 = std::make_unique<Form1>(store, ui, &printer);
    form1->Form_Load();
    QApplication::processEvents();
    return *form1;
  }
  void AnswerYesTwice() {
    ui.Expect(kPortraitQuestion, platform::kAnswerYes);
    ui.Expect("印刷します", platform::kAnswerYes);
  }
  std::vector<RecordingPrinter::Item> ItemsOfJob(int job) const {
    std::vector<RecordingPrinter::Item> items;
    for (const RecordingPrinter::Item& item : printer.items) {
      if (item.job == job) items.push_back(item);
    }
    return items;
  }
  std::unique_ptr<Form1> form1;
};

TEST_F(DetailPrintTest, PrintsTheSamePageAsTheMainWindow) {
  WriteExamsWithPictures(3);
  WritePicture("IMG3.jpg", 300, 180, QColor(200, 40, 40));
  Form1& main = Main();
  mainPrinter = [&main] { return main.CurrentPrinter().toStdString(); };
  ASSERT_EQ(main.Label14->text(), QStringLiteral("3"));
  AnswerYesTwice();
  main.D_insatu->trigger();

  Form9& v = View();
  ASSERT_TRUE(v.Open(3));
  AnswerYesTwice();
  v.Command2->click();

  ASSERT_EQ(printer.jobs.size(), 2u) << printer.Dump();
  EXPECT_EQ(printer.jobs[1].title, printer.jobs[0].title);
  EXPECT_EQ(printer.jobs[1].device, printer.jobs[0].device);
  const auto first = ItemsOfJob(1);
  const auto second = ItemsOfJob(2);
  ASSERT_EQ(first.size(), second.size()) << printer.Dump();
  ASSERT_GT(first.size(), 20u);
  for (std::size_t i = 0; i < first.size(); ++i) {
    const auto& a = first[i];
    const auto& b = second[i];
    EXPECT_EQ(a.kind, b.kind) << i;
    EXPECT_EQ(a.text, b.text) << i;
    EXPECT_EQ(std::make_pair(a.x, a.y), std::make_pair(b.x, b.y)) << i;
    EXPECT_EQ(a.font, b.font) << i;
    EXPECT_EQ(a.size, b.size) << i;
    EXPECT_EQ(std::make_pair(a.width, a.height), std::make_pair(b.width, b.height)) << i;
    EXPECT_EQ(std::make_pair(a.pictureWidth, a.pictureHeight),
              std::make_pair(b.pictureWidth, b.pictureHeight))
        << i;
  }
  // The picture at its full size, not the size the view shows it at.
  const auto pictures = printer.ItemsOf(RecordingPrinter::Kind::Picture);
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_EQ(pictures[1].pictureWidth, 300);
  EXPECT_EQ(printer.TextAt(2, 30, 7), "異常所見2: V2/所見3-1");
  EXPECT_EQ(printer.TextAt(2, 5, 25), "所見あり経過観察3");
}

TEST_F(DetailPrintTest, NoToThePaperQuestionPrintsOnThePrinterChosenInThePrintSetup) {
  WriteExamsWithPictures(2);
  Start();
  Form9& v = View();
  std::vector<std::string> offered;
  std::string current;
  v.printSetup = [&](const std::vector<std::string>& names, const std::string& now) {
    offered = names;
    current = now;
    return std::optional<std::string>("Printer B");
  };
  ASSERT_TRUE(v.Open(2));
  ui.Expect(kPortraitQuestion, platform::kAnswerNo);
  ui.Expect("印刷します", platform::kAnswerYes);
  v.Command2->click();
  EXPECT_EQ(offered, printer.names);
  EXPECT_EQ(current, "Printer A");
  ASSERT_EQ(printer.jobs.size(), 1u);
  EXPECT_EQ(printer.jobs[0].device, "Printer B");
  EXPECT_TRUE(printer.propertiesShown.empty());

  // Cancelled, nothing is printed and nothing more asked.
  v.printSetup = [](const std::vector<std::string>&, const std::string&) {
    return std::optional<std::string>();
  };
  ui.Expect(kPortraitQuestion, platform::kAnswerNo);
  v.Command2->click();
  EXPECT_EQ(printer.jobs.size(), 1u);
}

TEST_F(DetailPrintTest, CancelAndNoPrintNothing) {
  WriteExamsWithPictures(1);
  Start();
  Form9& v = View();
  ASSERT_TRUE(v.Open(1));
  ui.Expect(kPortraitQuestion, platform::kAnswerCancel);
  v.Command2->click();
  ui.Expect(kPortraitQuestion, platform::kAnswerYes);
  ui.Expect("印刷します", platform::kAnswerNo);
  v.Command2->click();
  EXPECT_TRUE(printer.jobs.empty());
}

}  // namespace
