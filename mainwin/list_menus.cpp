// 一覧, 検索 and 一覧表示切替え: the list windows, opened above this window.
#include <QAction>

#include "mainwin/main_window.h"
#include "platform/qt_text.h"
#include "views/list_windows.h"
#include "widgets/command_guard.h"
#include "widgets/progress_window.h"

void Form1::ConnectListMenus() {
  ListWindowsHost host;
  host.owner = this;
  host.showWindow = [this](QWidget* window) { ShowSecondaryWindow(window); };
  host.progress = [this]() -> platform::Progress& { return ProgressDialog(); };
  host.currentPrinter = [this] { return platform::S(CurrentPrinter()); };
  // A row of a list opens its record here, through the record port.
  host.showExamination = [this](int n) { return MayLeaveForm() && ShowExamination(n); };
  // The lists need the data file, and write the working file beside it: a
  // run that may not write the drive leaves the working file to the run that may.
  host.refused = [this] {
    const std::string refusal = session_.ListsRefusal();
    if (!refusal.empty()) ui_.MsgBox(refusal, platform::kExclamation);
    return !refusal.empty();
  };
  host.recordCount = [this] { return session_.RecordCount(); };
  host.showZoom = [this](const std::string& file, const std::string& name,
                         const std::string& examDate) {
    ShowZoomOfImageFile(file, name, examDate);
  };
  // The main window's refills of the arrhythmia list reach the dialog's.
  host.searchArrhythmias = [this](QComboBox* box) { SearchCombo3 = box; };
  host.compare = [this](int n) { OpenComparison(n); };
  auto* lists = new ListWindows(store_, ui_, printer_, std::move(host));
  connect(this, &Form1::CommandApplied, lists, [lists] { lists->DataFileChanged(); });
  connect(this, &Form1::DriveChangedElsewhere, lists,
          [lists] { lists->FollowOtherWorkstations(); });
  for (QAction* item : {itiran, kensaku, C_ITIRAN}) item->setEnabled(true);
  connect(itiran, &QAction::triggered, lists,
          widgets::Guarded(store_, [lists] { lists->itiran_Click(); }));
  connect(kensaku, &QAction::triggered, lists,
          widgets::Guarded(store_, [lists] { lists->kensaku_Click(); }));
  connect(C_ITIRAN, &QAction::triggered, lists,
          widgets::Guarded(store_, [lists] { lists->C_ITIRAN_Click(); }));
}
