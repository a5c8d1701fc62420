// 変更履歴 (F9) and 元に戻す (直前の変更) (Ctrl+Shift+Z): the history window of
// the examination on screen, and the last change on the drive undone after a
// question that names it. The patient registration window's 変更履歴 shows
// the same window for the patient on screen.
#include <QAction>
#include <QDir>
#include <QFileDialog>

#include "history/history_window.h"
#include "mainwin/main_window.h"
#include "patients/patient_windows.h"
#include "platform/qt_text.h"
#include "widgets/command_guard.h"

void Form1::ConnectHistoryMenus() {
  auto* history = new HistoryWindows(store_, ui_, this);
  auto window = [history]() -> HistoryWindow& {
    HistoryWindow& window = history->Window();
    window.askCsvPath = [&window] {
      return platform::S(QFileDialog::getSaveFileName(
          &window, QStringLiteral("CSV出力"), QDir::home().filePath(QStringLiteral("変更履歴.csv")),
          QStringLiteral("CSV (*.csv)")));
    };
    return window;
  };
  connect(this, &Form1::DriveChangedElsewhere, history, [history] { history->FollowDrive(); });
  D_rireki->setEnabled(true);
  connect(D_rireki, &QAction::triggered, history, widgets::Guarded(store_, [this, history, window] {
            RunPendingLeaveCheck();
            HistoryWindow& shown = window();
            shown.restored = [this](int record) { ShowAfterHistoryChange(record); };
            // A new examination has no history yet: the one changed last is shown.
            if (session_.EditingNewExamination()) {
              shown.ShowLastChanged();
            } else {
              shown.ShowExamination(ShownRecordNumber());
            }
            ShowSecondaryWindow(&shown);
          }));
  if (auto* patients = findChild<PatientWindows*>(QStringLiteral("PatientWindows"),
                                                  Qt::FindDirectChildrenOnly)) {
    patients->showPatientHistory = [this, window, patients](const std::string& patientId) {
      HistoryWindow& shown = window();
      // A restored patient moves the master under the patient windows.
      shown.restored = [patients](int) { patients->MasterChanged(true); };
      shown.ShowPatient(patientId);
      ShowSecondaryWindow(&shown);
    };
  }
  D_modosu->setEnabled(true);
  connect(D_modosu, &QAction::triggered, history, widgets::Guarded(store_, [this, history] {
            RunPendingLeaveCheck();
            const auto question = history->Session().AskUndoLast();
            sessions::Show(ui_, question);
            if (!question.ask || !MayLeaveForm()) return;
            if (ui_.MsgBox(question.ask->text, question.ask->style) != platform::kAnswerYes) return;
            const sessions::HistoryChange done = history->Session().UndoLast();
            sessions::Show(ui_, done);
            if (done.changed) ShowAfterHistoryChange(done.record);
          }));
}

void Form1::ShowAfterHistoryChange(int record) {
  const int count = session_.RecordCount();
  if (record < 1 || record > count) record = std::min(ShownRecordNumber(), count);
  if (record >= 1) {
    ShowExamination(record);
  } else {
    StartNewExamination();
  }
}
