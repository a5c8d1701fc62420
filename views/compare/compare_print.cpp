// 印刷 of the comparison window: both examinations on one A4 landscape page,
// their fields above and their pictures below at one scale.
#include <QImage>
#include <algorithm>

#include "platform/pictures.h"
#include "platform/qt_printer.h"
#include "platform/qt_text.h"
#include "store/records.h"
#include "views/compare/compare_window.h"

using store::ExamField;

namespace {

// The page in columns (120 twips) and lines (240 twips): an A4 landscape
// sheet prints on about 134 columns and 45 lines.
constexpr double kLeftColumn[2] = {3, 70};
constexpr double kPaneColumns = 62;
constexpr double kPictureLine = 14;
constexpr double kPictureLines = 30;
// One line of a picture's height in columns' units: a line is twice a column.
constexpr double kLineInColumns = 2;

constexpr const char* kFieldNames[] = {"検査日",         "年齢",   "心拍数",  "所属",
                                       "誘導部位・所見", "不整脈", "コメント"};

// The fields of one examination, one line each, cut to the pane's width.
std::vector<std::string> FieldLines(const store::ExamRecord& r) {
  auto joined = [&r](store::ExamField (*field)(int), store::ExamField (*paired)(int)) {
    std::string text;
    for (int i = 0; i < 5; ++i) {
      std::string entry = r.Get(field(i));
      if (paired && !r.Get(paired(i)).empty()) entry += " " + r.Get(paired(i));
      if (entry.empty()) continue;
      if (!text.empty()) text += "、";
      text += entry;
    }
    return text;
  };
  return {
      "氏名：" + r.Get(ExamField::Name) + "　ID：" + r.Get(ExamField::PatientId),
      "検査日：" + r.Get(ExamField::ExamDate) + "　年齢：" + r.Get(ExamField::Age) + "　心拍数：" +
          r.Get(ExamField::HeartRate),
      "所属：" + r.Get(ExamField::Department),
      "誘導部位・所見：" + joined(store::LeadSiteField, store::FindingField),
      "不整脈：" + joined(store::ArrhythmiaField, nullptr),
      "コメント：" + r.Get(ExamField::Comment),
  };
}

}  // namespace

void CompareWindow::Print_Click() {
  const sessions::CompareView& view = session_.View();
  if (printer_ == nullptr || !view.opened) return;
  const std::string printerName = printerName_ ? printerName_() : printer_->DeviceName();
  (void)platform::PrintLandscapePage(ui_, *printer_, printerName, "心電図比較",
                                     [this](platform::Printer& printer) { PaintPage(printer); });
}

void CompareWindow::PaintPage(platform::Printer& printer) {
  const sessions::CompareView& view = session_.View();
  printer.FontName = "ＭＳ ゴシック";
  printer.FontSize = 10;
  printer.FontBold = false;
  std::array<QImage, 2> pictures;
  for (int pane = 0; pane < 2; ++pane) {
    const sessions::ComparePane& shown = view.panes[pane];
    if (shown.record == 0) continue;
    double line = 1;
    for (const std::string& text : FieldLines(shown.exam)) {
      printer.SetPrintPosition(kLeftColumn[pane], line++);
      (void)printer.Print(text);
    }
    if (!shown.picturePath.empty())
      pictures[pane] = platform::ReadPicture(store_.Files(), shown.picturePath);
  }
  // The fields that differ, under both.
  std::string marks;
  for (sessions::CompareField f : view.differing) {
    marks += std::string(marks.empty() ? "" : "、") + kFieldNames[static_cast<int>(f)];
  }
  if (!marks.empty()) {
    printer.SetPrintPosition(kLeftColumn[0], kPictureLine - 2);
    (void)printer.Print("異なる項目：" + marks);
  }
  // One scale for both: the larger picture fills the box, the other is
  // drawn at the same columns per pixel.
  double widest = 0, tallest = 0;
  for (const QImage& p : pictures) {
    widest = std::max(widest, static_cast<double>(p.width()));
    tallest = std::max(tallest, static_cast<double>(p.height()));
  }
  if (widest <= 0) return;
  const double columnsPerPixel =
      std::min(kPaneColumns / widest, kPictureLines * kLineInColumns / tallest);
  for (int pane = 0; pane < 2; ++pane) {
    const QImage& p = pictures[pane];
    if (p.isNull()) continue;
    (void)printer.PaintPicture(platform::PictureFromImage(p), kLeftColumn[pane], kPictureLine,
                               p.width() * columnsPerPixel,
                               p.height() * columnsPerPixel / kLineInColumns);
  }
}
