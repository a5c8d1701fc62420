#include "views/list_windows.h"

#include <QLineEdit>

#include "views/list_views.h"
#include "views/print_range_dialog.h"
#include "views/search_dialog.h"

ListWindows::ListWindows(store::Store& store, platform::Ui& ui, platform::Printer* printer,
                         ListWindowsHost host)
    : QObject(host.owner),
      store_(store),
      ui_(ui),
      printer_(printer),
      host_(std::move(host)),
      session_(store) {
  setObjectName(QStringLiteral("ListWindows"));
  session_.busyCursor = [this](bool busy) { ui_.SetBusyCursor(busy); };
}

bool ListWindows::NoRecords(const char* message) {
  if (host_.recordCount() != 0) return false;
  ui_.MsgBox(message, platform::kExclamation);
  return true;
}

void ListWindows::itiran_Click() {
  if (host_.refused() || NoRecords("保存データは０件です。")) return;
  ui_.Lower();
  OpenListOfAllRecords();
}

void ListWindows::kensaku_Click() {
  ui_.Lower();
  if (host_.refused() || NoRecords("保存データは０件です。")) return;
  if (platform::Status s = Lists().DiscardList(); !s.ok()) ui_.ShowErrorNumber(s.error);
  Dialog1& dialog = SearchDialog();
  dialog.ResetSearchDialog();
  host_.showWindow(&dialog);
  dialog.Text1[0]->setFocus(Qt::OtherFocusReason);
}

void ListWindows::C_ITIRAN_Click() {
  if (host_.refused()) return;
  if (!store_.Files().Exists(store::kWorkFile)) {
    ui_.MsgBox("表示するデータがありません。", platform::kExclamation);
    return;
  }
  if (NoRecords("データがありません。")) return;
  ui_.Lower();
  if (lists_ != nullptr && lists_->ListOpen()) {
    lists_->ShowAgain();
    return;
  }
  OpenListOfAllRecords();
}

void ListWindows::DataFileChanged() {
  if (lists_ != nullptr) lists_->DataFileChanged();
}

void ListWindows::FollowOtherWorkstations() {
  const sessions::ListStepOutcome followed = session_.FollowDrive();
  if (followed.step == sessions::ListStep::Ended) DataFileChanged();
  if (followed.step == sessions::ListStep::Moved && lists_ != nullptr && lists_->ListOpen()) {
    lists_->Redraw();
  }
  sessions::Show(ui_, followed);
}

void ListWindows::OpenListOfAllRecords() {
  ListViews& lists = Lists();
  const sessions::ListOpeningOutcome opened = session_.OpenListOfAllRecords(host_.progress());
  sessions::Show(ui_, opened);
  if (opened.opening == sessions::ListOpening::Opened) lists.ShowFirstPage();
}

ListViews& ListWindows::Lists() {
  if (lists_ == nullptr) {
    lists_ = new ListViews(session_, ui_, host_.owner);
    lists_->showExamination = host_.showExamination;
    lists_->showWindow = host_.showWindow;
    lists_->showZoom = host_.showZoom;
    lists_->compare = host_.compare;
    if (printer_ != nullptr) lists_->SetPrintRange([this] { PrintRangeDialog().Open(); });
  }
  return *lists_;
}

Dialog4& ListWindows::PrintRangeDialog() {
  if (dialog4_ == nullptr) {
    dialog4_ = new Dialog4(session_, ui_, *printer_, host_.currentPrinter, host_.owner);
  }
  return *dialog4_;
}

Dialog1& ListWindows::SearchDialog() {
  if (dialog1_ == nullptr) {
    dialog1_ = new Dialog1(session_, ui_, host_.progress(), Lists(), host_.owner);
    if (host_.searchArrhythmias) host_.searchArrhythmias(dialog1_->Combo3);
  }
  return *dialog1_;
}
