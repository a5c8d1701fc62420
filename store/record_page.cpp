#include "store/record_page.h"

#include "store/text_format.h"

namespace store {

namespace {

constexpr double kLeftColumn = 5;
constexpr double kRightColumn = kLeftColumn + 25;
constexpr int kCommentSlices = 7;
constexpr std::size_t kSliceLength = 60;
constexpr std::size_t kCommentLength = 400;

void PrintAt(platform::Printer& printer, double x, double y, const std::string& text) {
  printer.SetPrintPosition(x, y);
  (void)printer.Print(text);
}

std::string FileDate(std::string_view date) {
  std::string out(TrimBlanks(date));
  for (char& c : out) {
    if (c == '/') c = '-';
  }
  return out;
}

}  // namespace

std::string CommentText(std::string_view comment) {
  std::string text;
  text.reserve(comment.size());
  for (char c : comment) {
    if (c != ' ' && c != '\r' && c != '\n') text.push_back(c);
  }
  return text;
}

std::string CharacterSlice(std::string_view text, std::size_t first, std::size_t count) {
  std::size_t begin = text.size();
  std::size_t end = text.size();
  std::size_t character = 0;  // 0-based number of the character starting at i
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (character == first - 1) begin = i;
    if (character == first - 1 + count) {
      end = i;
      break;
    }
    ++character;
  }
  return begin < end ? std::string(text.substr(begin, end - begin)) : std::string();
}

void PrintRecordPage(platform::Printer& printer, const RecordPage& page) {
  printer.FontName = std::string(kPrintFontName);
  printer.FontSize = 12;
  printer.FontBold = false;

  const std::pair<const char*, const std::string*> left[] = {
      {"検査日: ", &page.examDate}, {"ID  : ", &page.patientId}, {"氏名: ", &page.name},
      {"性別: ", &page.sex},        {"年齢: ", &page.age},       {"部署: ", &page.department},
      {"HR  : ", &page.heartRate},
  };
  double y = 5;
  for (const auto& [label, value] : left) {
    PrintAt(printer, kLeftColumn, y, label + *value);
    y += 2;
  }

  y = 5;
  for (int i = 0; i < 5; ++i) {
    PrintAt(printer, kRightColumn, y,
            "異常所見" + std::to_string(i + 1) + ": " + Trimmed(page.leadSites[i]) + "/" +
                Trimmed(page.findings[i]));
    y += 2;
  }
  for (int i = 0; i < 5; ++i) {
    PrintAt(printer, kRightColumn, y,
            "不整脈" + std::to_string(i + 1) + " : " + Trimmed(page.arrhythmias[i]));
    y += 2;
  }

  PrintAt(printer, kLeftColumn, 24, "(コメント)");
  for (int slice = 0; slice < kCommentSlices; ++slice) {
    const std::size_t first = slice * kSliceLength + 1;
    const std::size_t count = std::min(kSliceLength, kCommentLength - (first - 1));
    PrintAt(printer, kLeftColumn, 25 + slice, CharacterSlice(page.commentText, first, count));
  }

  (void)printer.PaintPicture(page.picture, 10, 32, 70, 25);
  (void)printer.EndDoc();
}

void PrintRecord(Store& store, platform::Ui& ui, platform::Printer& printer,
                 const RecordPrintRequest& request) {
  const int n = request.recordNumber;
  if (n < 1 || n > store.RecordCount()) {
    ui.MsgBox("印刷できません。", platform::kExclamation);
    return;
  }
  std::string commentText;
  if (ExamRecord exam; store.ReadExamination(n, exam).ok()) {
    commentText = CommentText(exam.Get(ExamField::Comment));
  }

  switch (ui.MsgBox("プリンターを　「Ａ４縦向き」　にセットしましたか。", platform::kYesNoCancel,
                    "プリンター設定確認")) {
    case platform::kAnswerYes:
      break;
    case platform::kAnswerNo:
      // Cancelling the printer's settings cancels the print.
      if (!(request.printerSettings ? request.printerSettings()
                                    : printer.ShowProperties(request.printerName))) {
        return;
      }
      break;
    default:
      return;
  }
  if (ui.MsgBox("印刷します", platform::kYesNo) != platform::kAnswerYes) return;

  ui.SetBusyCursor(true);
  RecordPage page = request.page ? request.page() : RecordPage{};
  page.commentText = std::move(commentText);
  (void)printer.SetCurrentPrinter(request.printerName);
  // The page is laid out for A4 portrait, whatever the printer was last set
  // to (the zoom window's landscape print may have set it so).
  printer.PageOrientation = platform::Printer::Orientation::Portrait;
  printer.BeginJob("心電図_" + FileDate(page.examDate) + "_ID" + Trimmed(page.patientId) + "_No" +
                   std::to_string(n));
  PrintRecordPage(printer, page);
  const platform::JobResult result = printer.EndJob();
  printer.PageOrientation = platform::Printer::Orientation::AsSet;
  ui.SetBusyCursor(false);
  platform::ShowPdfFile(ui, result);
}

}  // namespace store
