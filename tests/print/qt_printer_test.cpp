#include "platform/qt_printer.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QImage>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include <csignal>
#include <fstream>
#include <iterator>

#include "tests/print/print_fixture.h"
#include "views/print_range_dialog.h"

namespace {

namespace fs = std::filesystem;
using platform::kPdfPrinterName;
using platform::QtPrinter;
using print_test::PdfPages;
using print_test::PdfText;
using print_test::Shell;

// The printable area of the PDF printer starts 6.35 mm (18 pt) from the
// top left corner; a column is 6 pt wide, a line 12 pt high.
constexpr double kMarginPt = 18;
constexpr double kColumnPt = 6;
constexpr double kLinePt = 12;

std::vector<fs::path> Files(const fs::path& folder) {
  std::vector<fs::path> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first word of pdftotext -bbox output equal to `word`: its xMin, yMin.
std::optional<std::pair<double, double>> WordAt(const fs::path& pdf, const std::string& word) {
  const std::string html = Shell("pdftotext -bbox -enc UTF-8 '" + pdf.string() + "' -");
  const QRegularExpression re(QStringLiteral(
      R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="[0-9.]+" yMax="[0-9.]+">([^<]*)</word>)re"));
  auto it = re.globalMatch(QString::fromStdString(html));
  while (it.hasNext()) {
    const auto m = it.next();
    if (m.captured(3).toStdString() == word) {
      return std::make_pair(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
  }
  return std::nullopt;
}

// Page `page` of the PDF rendered at 72 dpi (one pixel a point).
QImage Render(const fs::path& pdf, int page, const fs::path& folder) {
  const fs::path stem = folder / "render";
  Shell("pdftoppm -png -r 72 -f " + std::to_string(page) + " -l " + std::to_string(page) +
        " -singlefile '" + pdf.string() + "' '" + stem.string() + "'");
  return QImage(QString::fromStdString(stem.string() + ".png"));
}

class QtPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fx.drive.Root() / "Documents" / "Velunor2.0";
    printer = std::make_unique<QtPrinter>(folder);
    ASSERT_TRUE(printer->SetCurrentPrinter(kPdfPrinterName));
  }

  print_test::Fixture fx;
  fs::path folder;
  std::unique_ptr<QtPrinter> printer;
};

TEST_F(QtPrinterTest, ThePdfPrinterComesLastAndUnknownNamesChangeNothing) {
  const std::vector<std::string> names = printer->PrinterNames();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.back(), kPdfPrinterName);
  EXPECT_FALSE(printer->SetCurrentPrinter("no such printer"));
  EXPECT_EQ(printer->DeviceName(), kPdfPrinterName);
  EXPECT_EQ(QtPrinter::DefaultPdfFolder().filename(), "Velunor2.0");
}

TEST_F(QtPrinterTest, OneCommandIsOneFileAndNoFileIsEverReplaced) {
  printer->BeginJob("心電図_2006-01-02_ID1/No:2");
  printer->SetPrintPosition(1, 1);
  ASSERT_TRUE(printer->Print("FIRSTPAGE").ok());
  ASSERT_TRUE(printer->EndDoc().ok());
  printer->SetPrintPosition(1, 1);
  ASSERT_TRUE(printer->Print("SECONDPAGE").ok());
  ASSERT_TRUE(printer->EndDoc().ok());
  const platform::JobResult first = printer->EndJob();
  ASSERT_TRUE(first.status.ok());
  ASSERT_EQ(Files(folder), std::vector<fs::path>{first.outputFile});
  const std::string name = fs::path(first.outputFile).filename().string();
  EXPECT_TRUE(QString::fromStdString(name).contains(
      QRegularExpression(QStringLiteral(R"(^心電図_2006-01-02_ID1_No_2_\d{8}-\d{6}\.pdf$)"))))
      << name;
  EXPECT_EQ(PdfPages(first.outputFile), 2);
  const std::string text = PdfText(first.outputFile);
  EXPECT_NE(text.find("FIRSTPAGE"), std::string::npos) << text;
  EXPECT_NE(text.find("SECONDPAGE"), std::string::npos) << text;

  // The same command again, within the same second or not: a file of its own.
  const std::string before = Bytes(first.outputFile);
  printer->BeginJob("心電図_2006-01-02_ID1/No:2");
  ASSERT_TRUE(printer->Print("AGAIN").ok());
  const platform::JobResult second = printer->EndJob();
  ASSERT_TRUE(second.status.ok());
  EXPECT_NE(second.outputFile, first.outputFile);
  EXPECT_EQ(Files(folder).size(), 2u);
  EXPECT_EQ(Bytes(first.outputFile), before);
  EXPECT_EQ(PdfPages(second.outputFile), 1);

  // Drawing without a command: the document is a command of its own.
  ASSERT_TRUE(printer->Print("ALONE").ok());
  ASSERT_TRUE(printer->EndDoc().ok());
  EXPECT_EQ(Files(folder).size(), 3u);
}

TEST_F(QtPrinterTest, CellsAreTwelfthsOfAnInchAcrossAndSixthsDown) {
  printer->BeginJob("cells");
  printer->FontName = "ＭＳ ゴシック";
  printer->FontSize = 12;
  printer->SetPrintPosition(5, 5);
  ASSERT_TRUE(printer->Print("検査日: 2006/01/02").ok());
  printer->SetPrintPosition(30, 23);
  ASSERT_TRUE(printer->Print("不整脈5 : X").ok());
  // Print moves to the start of the next line.
  ASSERT_TRUE(printer->Print("NEXTLINE").ok());
  const platform::JobResult result = printer->EndJob();
  ASSERT_FALSE(result.outputFile.empty());

  const std::pair<const char*, std::pair<double, double>> words[] = {
      {"検査日:", {5, 5}}, {"不整脈5", {30, 23}}, {"NEXTLINE", {0, 24}}};
  for (const auto& [word, cell] : words) {
    const auto at = WordAt(result.outputFile, word);
    ASSERT_TRUE(at.has_value()) << word;
    EXPECT_NEAR(at->first, kMarginPt + cell.first * kColumnPt, 1.5) << word;
    EXPECT_NEAR(at->second, kMarginPt + cell.second * kLinePt, 2.5) << word;
  }
  // The gothic font is embedded.
  const std::string fonts = Shell("pdffonts '" + result.outputFile + "'");
  EXPECT_NE(fonts.find("IPAGothic"), std::string::npos) << fonts;
}

TEST_F(QtPrinterTest, PicturesFillTheirRectangleFromPixelsOrAFile) {
  platform::PrintPicture red;
  red.width = 40;
  red.height = 20;
  red.pixels.assign(800, 0xFFFF0000u);
  const fs::path blueFile = fx.drive.Root() / "blue.jpg";
  QImage blue(30, 30, QImage::Format_RGB32);
  blue.fill(Qt::blue);
  ASSERT_TRUE(blue.save(QString::fromStdString(blueFile.string()), "JPG", 90));
  platform::PrintPicture fromFile;
  fromFile.hostPath = blueFile.string();

  printer->BeginJob("pictures");
  ASSERT_TRUE(printer->PaintPicture(red, 10, 32, 70, 25).ok());
  ASSERT_TRUE(printer->PaintPicture(fromFile, 10, 2, 20, 10).ok());
  EXPECT_EQ(printer->PaintPicture(platform::PrintPicture{}, 0, 0, 1, 1).error,
            platform::kInvalidPicture);
  platform::PrintPicture missing;
  missing.hostPath = (fx.drive.Root() / "none.jpg").string();
  EXPECT_EQ(printer->PaintPicture(missing, 0, 0, 1, 1).error, platform::kInvalidPicture);
  const platform::JobResult result = printer->EndJob();
  ASSERT_FALSE(result.outputFile.empty());

  const QImage page = Render(result.outputFile, 1, fx.drive.Root());
  ASSERT_FALSE(page.isNull());
  auto pixel = [&page](double column, double line) {
    return page.pixelColor(static_cast<int>(kMarginPt + column * kColumnPt),
                           static_cast<int>(kMarginPt + line * kLinePt));
  };
  auto near = [](QColor c, int r, int g, int b) {
    return std::abs(c.red() - r) < 40 && std::abs(c.green() - g) < 40 &&
           std::abs(c.blue() - b) < 40;
  };
  // Inside the stretched rectangle, near its corners and in its middle.
  for (auto [x, y] : {std::pair{10.5, 32.5}, {79.5, 56.5}, {45.0, 44.5}}) {
    EXPECT_TRUE(near(pixel(x, y), 255, 0, 0)) << x << "," << y;
  }
  for (auto [x, y] : {std::pair{9.5, 44.5}, {80.5, 44.5}, {45.0, 31.5}, {45.0, 57.5}}) {
    EXPECT_TRUE(near(pixel(x, y), 255, 255, 255)) << x << "," << y;
  }
  EXPECT_TRUE(near(pixel(20, 7), 0, 0, 255));
}

TEST_F(QtPrinterTest, WhatThePropertiesDialogSetsHoldsForTheNextPrint) {
  EXPECT_EQ(printer->PageLayoutOf(kPdfPrinterName).pageSize().id(), QPageSize::A4);
  EXPECT_EQ(printer->PageLayoutOf(kPdfPrinterName).orientation(), QPageLayout::Portrait);

  // Cancelled: nothing changes.
  printer->SetPropertiesDialog([](QPrinter& p) {
    p.setPageOrientation(QPageLayout::Landscape);
    return false;
  });
  printer->ShowProperties(kPdfPrinterName);
  EXPECT_EQ(printer->PageLayoutOf(kPdfPrinterName).orientation(), QPageLayout::Portrait);

  std::string shownOn;
  printer->SetPropertiesDialog([](QPrinter& p) {
    EXPECT_EQ(p.outputFormat(), QPrinter::PdfFormat);
    p.setPageOrientation(QPageLayout::Landscape);
    return true;
  });
  printer->ShowProperties(kPdfPrinterName);
  printer->BeginJob("landscape");
  ASSERT_TRUE(printer->Print("WIDE").ok());
  const platform::JobResult result = printer->EndJob();
  const std::string info = Shell("pdfinfo '" + result.outputFile + "'");
  EXPECT_NE(info.find("842 x 595 pts (A4)"), std::string::npos) << info;
}

TEST_F(QtPrinterTest, AFolderThatCannotBeWrittenOrAKilledDocumentLeavesNoFile) {
  printer->BeginJob("killed");
  ASSERT_TRUE(printer->Print("GONE").ok());
  printer->KillDoc();
  const platform::JobResult killed = printer->EndJob();
  EXPECT_TRUE(killed.outputFile.empty());
  EXPECT_TRUE(Files(folder).empty());

  fx.drive.WriteBytes((fx.drive.Root() / "file").string(), "x");
  QtPrinter blocked(fx.drive.Root() / "file" / "Velunor2.0");
  ASSERT_TRUE(blocked.SetCurrentPrinter(kPdfPrinterName));
  blocked.BeginJob("blocked");
  EXPECT_EQ(blocked.Print("X").error, platform::kPrinterError);
  EXPECT_EQ(blocked.EndDoc().error, platform::kNoError);
  const platform::JobResult result = blocked.EndJob();
  EXPECT_FALSE(result.status.ok());
  EXPECT_TRUE(result.outputFile.empty());
  EXPECT_NE(result.failure.find("を作成できません"), std::string::npos) << result.failure;
}

// A disk that fills up under the PDF (a file size limit of 8 KiB stands for
// it): the failure is said, and no file, whole or cut, is left.
TEST_F(QtPrinterTest, APdfThatCouldNotBeWrittenWholeIsNotSaidToBeSaved) {
  struct rlimit before {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = before;
  small.rlim_cur = 8192;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  printer->BeginJob("full");
  for (int page = 0; page < 20; ++page) {
    for (int line = 1; line < 60; ++line) {
      printer->SetPrintPosition(1, line);
      (void)printer->Print("心電図 " + std::to_string(page * 100 + line) + " 洞調律 異常なし");
    }
    (void)printer->EndDoc();
  }
  const platform::JobResult result = printer->EndJob();
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &before), 0);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(result.status.ok());
  EXPECT_TRUE(result.outputFile.empty());
  EXPECT_FALSE(result.failure.empty());
  EXPECT_TRUE(Files(folder).empty());

  print_test::Fixture shown;
  shown.ui.Expect("PDFファイルを保存できませんでした。\n" + result.failure);
  platform::ShowPdfFile(shown.ui, result);
}

// The record list of 30 examinations through the range dialog into the PDF
// printer: two pages in one file, read back as text.
TEST_F(QtPrinterTest, AListPrintedToThePdfPrinterReadsBack) {
  std::vector<store::ExamRecord> records;
  for (int n = 1; n <= 30; ++n) records.push_back(print_test::Exam(n));
  print_test::WriteRecords(fx.drive, store::kDataFile, records);
  ASSERT_TRUE(fx.store.StartUp().ok());
  sessions::ExamListSession list(fx.store);
  platform::NoProgress none;
  ASSERT_EQ(list.OpenListOfAllRecords(none).opening, sessions::ListOpening::Opened);

  Dialog4 dialog(list, fx.ui, *printer, [] { return std::string(kPdfPrinterName); });
  dialog.Open();
  dialog.Option2->click();
  fx.ui.Expect("");  // where the file is
  dialog.OKButton->click();
  ASSERT_TRUE(fx.ui.Unexpected().empty()) << fx.Unexpected();
  const std::vector<fs::path> files = Files(folder);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(fx.ui.Boxes().back().prompt,
            "PDFファイルに保存しました。\nフォルダ: " + folder.string() +
                "\nファイル: " + files[0].filename().string());
  EXPECT_EQ(PdfPages(files[0]), 2);

  const std::string text = PdfText(files[0]);
  for (const char* expected :
       {"心電図ファイルリスト", "Page=1", "Page=2", "(ﾌｧｲﾙNO)", "( 撮影日 )", "( HR )"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  }
  // A record line reads as its fields in their columns.
  const QRegularExpression row(
      QStringLiteral(R"(^\s*26\s+2006/01/26\s+100026\s+患者26\s+F\s+46\s+総務部\s+86\s*$)"),
      QRegularExpression::MultilineOption);
  EXPECT_TRUE(QString::fromStdString(text).contains(row)) << text;
  const QImage page = Render(files[0], 2, fx.drive.Root());
  EXPECT_EQ(page.size(), QSize(595, 842));
}

}  // namespace
