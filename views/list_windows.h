#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "platform/printer.h"
#include "platform/progress.h"
#include "platform/ui.h"
#include "sessions/exam_list_session.h"
#include "store/store.h"

class Dialog1;
class Dialog4;
class ListViews;
class QComboBox;
class QWidget;

// What the list windows need of the main window that opens them.
struct ListWindowsHost {
  QWidget* owner = nullptr;                       // parent of every list window
  std::function<void(QWidget*)> showWindow;       // shows a window above the main window
  std::function<platform::Progress&()> progress;  // the progress window of long steps
  std::function<std::string()> currentPrinter;    // the printer every printout uses
  std::function<bool(int)> showExamination;       // a row opens its examination there
  std::function<bool()> refused;                  // says (and shows) the lists cannot be made
  std::function<int()> recordCount;               // the examinations stored
  std::function<void(const std::string& file, const std::string& name, const std::string& examDate)>
      showZoom;
  std::function<void(QComboBox*)> searchArrhythmias;  // the search dialog's 不整脈 box, once made
  std::function<void(int)> compare;                   // a row's 過去の検査と比較
};

// 一覧, 検索 and 一覧表示切替え: the list views and the search dialog, each
// created on first use as a window of its own above the main window, over
// one examination list session. Without a printer the lists' print buttons
// stay disabled.
class ListWindows : public QObject {
 public:
  ListWindows(store::Store& store, platform::Ui& ui, platform::Printer* printer,
              ListWindowsHost host);

  // 一覧 (F8): the working file made a copy of the data file and shown in
  // list view 1 on its first page.
  void itiran_Click();
  // 検索 (F7): the list ended and the search dialog shown with every box
  // empty, the focus in the year box.
  void kensaku_Click();
  // 一覧表示切替え (F11): list view 1 brought back as it was left. A working
  // file that no list of this run is showing (left by an earlier run, or
  // closed by an operation on the data file) is not trusted: the list of all
  // records is made afresh instead.
  void C_ITIRAN_Click();
  // The main window changed the data file: a list whose working file a
  // rebuild ended closes at once.
  void DataFileChanged();
  // Another workstation changed the drive: an open list that no longer shows
  // the stored records says so and closes.
  void FollowOtherWorkstations();

 private:
  void OpenListOfAllRecords();
  ListViews& Lists();
  Dialog4& PrintRangeDialog();
  Dialog1& SearchDialog();
  bool NoRecords(const char* message);

  store::Store& store_;
  platform::Ui& ui_;
  platform::Printer* printer_;
  ListWindowsHost host_;
  sessions::ExamListSession session_;
  ListViews* lists_ = nullptr;
  Dialog1* dialog1_ = nullptr;
  Dialog4* dialog4_ = nullptr;
};
