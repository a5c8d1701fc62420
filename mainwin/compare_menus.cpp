// 過去の検査と比較 (F6): the examination on screen beside the same patient's
// earlier ones, in a window of its own above the main window.
#include <QAction>

#include "mainwin/main_window.h"
#include "platform/qt_text.h"
#include "views/compare/compare_opener.h"
#include "views/images/image_windows.h"
#include "widgets/command_guard.h"

void Form1::ConnectCompareMenus() {
  auto* opener = new CompareOpener(store_, ui_, printer_, this);
  opener->showWindow = [this](QWidget* window) { ShowSecondaryWindow(window); };
  opener->printerName = [this] { return platform::S(CurrentPrinter()); };
  if (auto* images =
          findChild<ImageWindows*>(QStringLiteral("ImageWindows"), Qt::FindDirectChildrenOnly)) {
    images->compare = [this](int n) { OpenComparison(n); };
  }
  // A command of the form may have renumbered the examinations the window
  // shows: it closes, as the lists do.
  connect(this, &Form1::CommandApplied, opener, [opener] { opener->Close(); });
  // Another workstation's change: the same examinations found again.
  connect(this, &Form1::DriveChangedElsewhere, opener, [opener] { opener->FollowDrive(); });
  G_hikaku->setEnabled(true);
  connect(G_hikaku, &QAction::triggered, opener, widgets::Guarded(store_, [this, opener] {
            if (DataFileRefused(false)) return;
            if (session_.EditingNewExamination()) {
              ui_.MsgBox("登録済みの検査を表示してから比較して下さい。", platform::kExclamation);
              return;
            }
            opener->Open(session_.ShownRecordNumber());
          }));
}

void Form1::OpenComparison(int record) {
  if (auto* opener =
          findChild<CompareOpener*>(QStringLiteral("CompareOpener"), Qt::FindDirectChildrenOnly)) {
    opener->Open(record);
  }
}
