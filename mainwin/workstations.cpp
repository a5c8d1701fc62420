// The main window beside other workstations on the same drive: an idle look
// at the drive every 1.5 s, and a note while a command waits for another
// workstation's change to end.

#include <QApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

#include "forms/entry_rules.h"
#include "forms/record_transfer.h"
#include "mainwin/main_window.h"
#include "platform/drive_lock.h"
#include "platform/qt_text.h"

namespace {

constexpr int kLookEveryMs = 1500;
// A wait that is not asked about for this long has ended.
constexpr int kWaitEndedAfterMs = 300;
constexpr const char* kUnreachable =
    "データドライブに接続できません。接続が戻るまで、登録・削除・並べ替えはできません"
    "（書きかけのデータは残りません）。";

}  // namespace

void Form1::WatchOtherWorkstations() {
  store_.SetBeforeCommand([this] { CatchUpWithOtherWorkstations(); });
  auto* look = new QTimer(this);
  look->setObjectName(QStringLiteral("WorkstationTimer"));
  look->setInterval(kLookEveryMs);
  connect(look, &QTimer::timeout, this, &Form1::CatchUpWithOtherWorkstations);
  look->start();

  // The waiting window, made on the first wait: it goes once the lock is
  // granted (nothing asks any more) or the user cancels.
  auto* ended = new QTimer(this);
  ended->setSingleShot(true);
  ended->setInterval(kWaitEndedAfterMs);
  store_.SetLockWait([this, ended](platform::DriveLock::Waiting what) {
    auto* waiting = findChild<QProgressDialog*>(QStringLiteral("WorkstationWait"));
    if (waiting == nullptr) {
      waiting = new QProgressDialog(this);
      waiting->setObjectName(QStringLiteral("WorkstationWait"));
      waiting->setWindowTitle(QStringLiteral("Velunor2.0"));
      waiting->setCancelButtonText(QStringLiteral("キャンセル"));
      waiting->setRange(0, 0);
      waiting->setWindowModality(Qt::ApplicationModal);
      connect(ended, &QTimer::timeout, waiting, &QProgressDialog::hide);
    }
    if (!waiting->isVisible()) {
      waiting->reset();
      waiting->show();
    }
    waiting->setLabelText(platform::Q(std::string(platform::WaitingText(what))));
    ended->start();
    QApplication::processEvents();
    return !waiting->wasCanceled();
  });
}

void Form1::CatchUpWithOtherWorkstations() {
  (void)store_.FollowDriveReachability();
  if (store_.DriveUnreachable()) {
    // Read-only until it comes back: nothing can be locked, so nothing is written.
    ShowDriveNote(kUnreachable);
    return;
  }
  ShowDriveNote(store_.DriveBeingRebuilt()
                    ? std::string(platform::WaitingText(platform::DriveLock::Waiting::kRebuild))
                    : std::string());
  // Never in the middle of a command, a question or another window's work.
  if (store_.LongOperationRunning() || QApplication::activeModalWidget() != nullptr) return;
  if (store_.DriveBeingRebuilt()) return;
  const bool typed = session_.AskDiscard(Entry(), store::FromQDate(Today())).has_value();
  const sessions::DriveRefresh refresh = session_.Refresh(typed);
  if (!refresh.changed) return;
  store::FillLookupLists(store_, *this);  // the drop-downs keep what is typed in them
  Q_EMIT DriveChangedElsewhere();
  switch (refresh.after) {
    case sessions::FormAfter::Examination:
      (void)ShowExamination(refresh.record);
      break;
    case sessions::FormAfter::NewExamination:
      StartNewExamination();
      break;
    case sessions::FormAfter::Unchanged: {
      // The fields stay as typed; only the number and the slider follow.
      const QSignalBlocker quiet(Slider1);
      Slider1->setMaximum(std::max(1, session_.RecordCount()));
      Label14->setText(QString::number(refresh.shownNumber));
      if (refresh.shownNumber <= session_.RecordCount()) Slider1->setValue(refresh.shownNumber);
      break;
    }
  }
  sessions::Show(ui_, refresh);
}

void Form1::ShowDriveNote(const std::string& note) {
  auto* label = statusBar()->findChild<QLabel*>(QStringLiteral("WorkstationHint"));
  if (label == nullptr) {
    if (note.empty()) return;
    label = new QLabel(statusBar());
    label->setObjectName(QStringLiteral("WorkstationHint"));
    statusBar()->addWidget(label);
  }
  label->setText(platform::Q(note));
  label->setVisible(!note.empty());
  if (!note.empty()) statusBar()->show();
}
