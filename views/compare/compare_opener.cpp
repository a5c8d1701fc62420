#include "views/compare/compare_opener.h"

#include <QWidget>

#include "views/compare/compare_window.h"

CompareOpener::CompareOpener(store::Store& store, platform::Ui& ui, platform::Printer* printer,
                             QWidget* owner)
    : QObject(owner), store_(store), ui_(ui), printer_(printer), owner_(owner), session_(store) {
  setObjectName(QStringLiteral("CompareOpener"));
}

void CompareOpener::Open(int record) {
  if (window_ == nullptr) {
    window_ = new CompareWindow(
        store_, session_, ui_, printer_,
        [this] { return printerName ? printerName() : printer_->DeviceName(); }, owner_);
  }
  if (!window_->Open(record)) return;
  if (showWindow) {
    showWindow(window_);
  } else {
    window_->show();
    window_->raise();
    window_->activateWindow();
  }
}

void CompareOpener::Close() {
  if (window_ != nullptr) window_->hide();
}

void CompareOpener::FollowDrive() {
  if (window_ != nullptr) window_->FollowDrive();
}
