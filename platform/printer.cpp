#include "platform/printer.h"

namespace platform {

void ShowPdfFile(Ui& ui, const JobResult& result) {
  if (result.outputFile.empty()) {
    if (!result.failure.empty()) {
      ui.MsgBox("PDFファイルを保存できませんでした。\n" + result.failure, kExclamation);
    }
    return;
  }
  const std::size_t slash = result.outputFile.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : result.outputFile.substr(0, slash);
  const std::string name =
      slash == std::string::npos ? result.outputFile : result.outputFile.substr(slash + 1);
  const int pressed = ui.MsgBoxWithButtons(
      "PDFファイルに保存しました。\nフォルダ: " + folder + "\nファイル: " + name,
      {"フォルダーを開く", "PDFを開く"});
  if (pressed == 0) ui.OpenWithDesktop(folder.empty() ? std::string(".") : folder);
  if (pressed == 1) ui.OpenWithDesktop(result.outputFile);
}

bool PrintLandscapePage(Ui& ui, Printer& printer, const std::string& printerName,
                        std::string_view title, const std::function<void(Printer&)>& paint) {
  switch (ui.MsgBox("プリンターを　「Ａ４横向き」　にセットしましたか。", kYesNoCancel,
                    "プリンター設定確認")) {
    case kAnswerYes:
      break;
    case kAnswerNo:
      if (!printer.ShowProperties(printerName)) return false;
      break;
    default:
      return false;
  }
  if (ui.MsgBox("印刷します", kYesNo) != kAnswerYes) return false;
  ui.SetBusyCursor(true);
  (void)printer.SetCurrentPrinter(printerName);
  printer.PageOrientation = Printer::Orientation::Landscape;
  printer.BeginJob(title);
  paint(printer);
  (void)printer.EndDoc();
  const JobResult result = printer.EndJob();
  printer.PageOrientation = Printer::Orientation::AsSet;
  ui.SetBusyCursor(false);
  ShowPdfFile(ui, result);
  return true;
}

}  // namespace platform
