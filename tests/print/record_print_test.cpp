// 印刷 in the main window: the page takes the form's values and the stored
// comment; end to end into the PDF printer.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>

#include "mainwin/main_window.h"
#include "platform/qt_printer.h"
#include "tests/print/print_fixture.h"

namespace {

namespace fs = std::filesystem;
using print_test::Exam;
using testing_support::RecordingPrinter;

constexpr const char* kPaperQuestion = "プリンターを　「Ａ４縦向き」　にセットしましたか。";

class Form1PrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<store::ExamRecord> records = {Exam(1), Exam(2), Exam(3)};
    records[2].Set(store::ExamField::Comment, "心電図 所見\r\nなし");
    records[2].Set(store::ExamField::LeadSite1, "V5");
    records[2].Set(store::ExamField::Finding1, "ST低下");
    records[2].Set(store::ExamField::Arrhythmia2, "心房細動");
    print_test::WriteRecords(fx.drive, store::kDataFile, records);
    const fs::path picture = fx.drive.Host("C:\\VLN2\\GAZOU\\IMG3.jpg");
    fs::create_directories(picture.parent_path());
    QImage image(160, 100, QImage::Format_RGB32);
    image.fill(QColor(250, 200, 210));
    ASSERT_TRUE(image.save(QString::fromStdString(picture.string()), "JPG", 90));
  }
  void TearDown() override {
    form.reset();
    EXPECT_TRUE(fx.ui.Unexpected().empty()) << fx.Unexpected();
    EXPECT_TRUE(fx.ui.AllAnswered());
    EXPECT_FALSE(fx.ui.busyCursor);
  }

  Form1& Start(platform::Printer& printer) {
    form = std::make_unique<Form1>(fx.store, session, fx.ui, &printer);
    form->Today = [] { return QDate(2006, 1, 1); };
    form->Form_Load();
    QApplication::processEvents();
    return *form;
  }

  void AnswerYesTwice() {
    fx.ui.Expect(kPaperQuestion, platform::kAnswerYes);
    fx.ui.Expect("印刷します", platform::kAnswerYes);
  }

  print_test::Fixture fx;
  sessions::ExamFormSession session{fx.store};
  std::unique_ptr<Form1> form;
};

TEST_F(Form1PrintTest, PrintsTheFormAsShownWithTheStoredCommentOnTheCurrentPrinter) {
  Form1& f = Start(fx.printer);
  ASSERT_TRUE(f.D_insatu->isEnabled());
  ASSERT_EQ(f.Label14->text(), QStringLiteral("3"));
  // Edited on screen, not registered.
  f.Text1[2]->setText(QStringLiteral("書き換え"));
  f.Text3->setPlainText(QStringLiteral("画面だけのコメント"));
  f.Combo5[4]->setEditText(QStringLiteral(" 期外収縮 "));

  // Left in landscape by an earlier print of the zoom window.
  fx.printer.PageOrientation = platform::Printer::Orientation::Landscape;
  AnswerYesTwice();
  f.D_insatu->trigger();

  ASSERT_EQ(fx.printer.jobs.size(), 1u);
  EXPECT_EQ(fx.printer.jobs[0].device, f.CurrentPrinter().toStdString());
  EXPECT_EQ(fx.printer.jobs[0].orientation, platform::Printer::Orientation::Portrait);
  EXPECT_EQ(fx.printer.TextAt(1, 5, 5), "検査日: 2006/01/03");
  EXPECT_EQ(fx.printer.TextAt(1, 5, 7), "ID  : 100003");
  EXPECT_EQ(fx.printer.TextAt(1, 5, 9), "氏名: 書き換え");
  EXPECT_EQ(fx.printer.TextAt(1, 5, 11), "性別: M");
  EXPECT_EQ(fx.printer.TextAt(1, 5, 15), "部署: 総務部");
  EXPECT_EQ(fx.printer.TextAt(1, 30, 5), "異常所見1: V5/ST低下");
  EXPECT_EQ(fx.printer.TextAt(1, 30, 17), "不整脈2 : 心房細動");
  EXPECT_EQ(fx.printer.TextAt(1, 30, 23), "不整脈5 : 期外収縮");
  EXPECT_EQ(fx.printer.TextAt(1, 5, 25), "心電図所見なし");
  const auto pictures = fx.printer.ItemsOf(RecordingPrinter::Kind::Picture);
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(pictures[0].pictureWidth, 160);
  EXPECT_EQ(pictures[0].pictureHeight, 100);
  EXPECT_EQ(fx.printer.EndedDocuments(), 1);
}

TEST_F(Form1PrintTest, ANewRecordCannotBePrintedAndNoPrinterLeavesTheCommandOff) {
  Form1& f = Start(fx.printer);
  f.D_sinki_Click();
  ASSERT_EQ(f.Label14->text(), QStringLiteral("4"));
  fx.ui.Expect("印刷できません。");
  f.D_insatu->trigger();
  EXPECT_TRUE(fx.printer.items.empty());

  // No to the paper question: the properties of the printer the list names.
  const int last = f.Combo6->count() - 1;
  ASSERT_GE(last, 0);
  f.Combo6->setCurrentIndex(last);
  f.Combo6_Click(last);
  ASSERT_TRUE(f.ShowExamination(2));
  fx.ui.Expect(kPaperQuestion, platform::kAnswerNo);
  fx.ui.Expect("印刷します", platform::kAnswerNo);
  f.D_insatu->trigger();
  ASSERT_FALSE(f.Combo6->currentText().isEmpty());
  EXPECT_EQ(fx.printer.propertiesShown,
            std::vector<std::string>{f.Combo6->currentText().toStdString()});
  EXPECT_TRUE(fx.printer.items.empty());

  Form1 other(fx.store, session, fx.ui);
  EXPECT_FALSE(other.D_insatu->isEnabled());
}

TEST_F(Form1PrintTest, TheExaminationInThePdfPrinterReadsBack) {
  const fs::path folder = fx.drive.Root() / "Documents" / "Velunor2.0";
  platform::QtPrinter printer(folder);
  Form1& f = Start(printer);
  const int pdf = f.Combo6->findText(
      QString::fromUtf8(platform::kPdfPrinterName.data(), platform::kPdfPrinterName.size()));
  ASSERT_EQ(pdf, f.Combo6->count() - 1);
  f.Combo6->setCurrentIndex(pdf);
  f.Combo6_Click(pdf);

  AnswerYesTwice();
  fx.ui.Expect("");
  f.D_insatu->trigger();
  ASSERT_TRUE(fx.ui.Unexpected().empty()) << fx.Unexpected();

  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(fx.ui.Boxes().back().prompt,
            "PDFファイルに保存しました。\nフォルダ: " + folder.string() +
                "\nファイル: " + files[0].filename().string());
  EXPECT_EQ(fx.ui.Boxes().back().style, platform::kInformation);
  EXPECT_EQ(files[0].filename().string().rfind("心電図_2006-01-03_ID100003_No3_", 0), 0u)
      << files[0];
  EXPECT_EQ(print_test::PdfPages(files[0]), 1);

  const QString text = QString::fromStdString(print_test::PdfText(files[0]));
  for (const char* line : {"検査日: 2006/01/03", "異常所見1: V5/ST低下", "ID : 100003",
                           "不整脈2 : 心房細動", "(コメント)", "心電図所見なし"}) {
    EXPECT_TRUE(text.simplified().contains(QString::fromUtf8(line))) << line << "\n"
                                                                     << text.toStdString();
  }
  // The two columns stand side by side on one line of text.
  EXPECT_TRUE(text.contains(
      QRegularExpression(QStringLiteral(R"(検査日: 2006/01/03\s+異常所見1: V5/ST低下)"))))
      << text.toStdString();

  // The picture is on the page: its colour fills the middle of its cells.
  const fs::path stem = fx.drive.Root() / "page";
  print_test::Shell("pdftoppm -png -r 72 -singlefile '" + files[0].string() + "' '" +
                    stem.string() + "'");
  const QImage page(QString::fromStdString(stem.string() + ".png"));
  ASSERT_FALSE(page.isNull());
  const QColor middle = page.pixelColor(18 + 45 * 6, 18 + 44 * 12);
  EXPECT_NEAR(middle.red(), 250, 20);
  EXPECT_NEAR(middle.green(), 200, 20);
  EXPECT_NEAR(middle.blue(), 210, 20);
}

}  // namespace
