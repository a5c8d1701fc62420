#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/main_form.h"
#include "platform/ui.h"
#include "sessions/exam_form_session.h"
#include "store/store.h"
#include "widgets/main_form_layout.h"
#include "widgets/main_menu.h"

class Dialog;
class Dialog2;
namespace widgets {
class EnterMovesOn;
class LeaveChecks;
}  // namespace widgets
class LookupListWindow;
namespace platform {
class Printer;
}
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

// The main window: the examination form that is open for the whole run. It
// shows the record whose number its session holds (RecordCount + 1: a blank
// new record) in Label14, and every other window is reached from its menu
// bar. The form's state and its workflows are the session's; the window
// copies values into its controls and shows what a command came to.
//
// The controls carry the window's control names (MainForm holds those the
// record-store routines write); each menu item is a QAction member under its
// item name, each command a member `Item_Click()`. Menu items whose windows
// are built elsewhere exist from the start and stay disabled until the code
// that opens the window enables and connects them.
//
// The window filters the events of every control it builds (Enter moving on,
// the menu's shortcuts winning over the fields' editing keys, focus colours,
// leave checks); a control added later that should behave so installs the
// window as its event filter.
class Form1 : public QMainWindow,
              public store::MainForm,
              public widgets::MainFormControls,
              public widgets::MainMenu {
  Q_OBJECT

 public:
  // Without a printer, 印刷 stays disabled.
  Form1(store::Store& store, sessions::ExamFormSession& session, platform::Ui& ui,
        platform::Printer* printer = nullptr, QWidget* parent = nullptr);
  // The same with a session of its own, for windows tested beside this one.
  Form1(store::Store& store, platform::Ui& ui, platform::Printer* printer = nullptr,
        QWidget* parent = nullptr);

  // Start-up: printer list, window maximised, the store started (left-over
  // "KARIKAN.DATA" deleted, every file opened), the form cleared and filled,
  // the last record shown; the window is shown with the focus in the date
  // field, or in the ID field when there are no records.
  void Form_Load();

  // Shows a secondary window above this one: the main window is first moved
  // to the bottom of the window order (ending a stay-on-top state), then the
  // window is shown modeless and activated.
  void ShowSecondaryWindow(QWidget* window);

  // The printers of Combo6 and the current printer every printout uses.
  const QString& CurrentPrinter() const { return currentPrinter_; }

  // --- The record on screen ----------------------------------------------
  // These two are the only writers of Label14 and Slider1; other windows that
  // open an examination here get them as callbacks.
  //
  // Reads examination n of the data file (the session's CurrentRecord) and
  // shows it: the form emptied, its lists filled, the record's fields and
  // picture, Label14 = n, Slider1 at n, the image name locked (a stored
  // examination keeps the picture it names). False, with the error shown and
  // the form unchanged, when record n cannot be read.
  bool ShowExamination(int n);
  // A blank new examination: the form emptied and its lists filled, today's
  // date, Label14 = RecordCount + 1, Slider1 ranging over the stored records,
  // the image name open, the focus in the ID field.
  void StartNewExamination();
  // The number of the examination the form edits (RecordCount + 1: a new one).
  int ShownRecordNumber() const { return session_.ShownRecordNumber(); }

  // --- Commands and events ----------------------------------------------
  void F_end_Click();
  void Command1_Click();  // ShowNextRecord
  void Command2_Click();  // ShowPreviousRecord
  void nextdata_Click();  // focus to Command1, then ShowNextRecord
  void maedata_Click();   // focus to Command2, then ShowPreviousRecord
  void Slider1_Click();
  void G_kria_Click();
  void Command3_Click();  // (+)
  void Command4_Click();  // (-)
  void Carender_Click();
  void MonthView1_DateClick(const QDate& date);
  void Combo6_Click(int index);

  void ShowNextRecord();
  void ShowPreviousRecord();

  // 初期設定: the vocabulary windows Form3, Form4, Form7, Form6, each created
  // on first use, reloaded from its file and shown above this window (which
  // is lowered first). Registering in one refills this window's lists of
  // that vocabulary.
  void syozoku_Click();
  void yudou_Click();
  void ijyousyoken_Click();
  void fuseimyaku_Click();

  // データ: 新規入力, 登録, 削除, 全削除 (registration.cpp), run by the
  // session: registering appends or overwrites the record on screen and
  // stores its picture; deleting rebuilds the data file.
  void D_sinki_Click();
  void D_touroku_Click();
  void sakujyo_Click();
  void ALL_sakujyo_Click();
  // 読み込み, a click on the empty picture, 拡大 while the picture is empty:
  // the image-load dialog, with its facts emptied.
  void G_yomokomi_Click();
  void G_kakudai_Click();
  void Image1_Click();
  // 並べ替え: 検査日順 and ID順 (navigation.cpp), run by the session.
  void D_kensabi_Click();
  void D_id_Click();
  // 印刷: the examination on screen on one page (record_print.cpp).
  void D_insatu_Click();
  // The progress window of the long steps, created on first use.
  Dialog2& ProgressDialog();
  // The image-load dialog, created on first use.
  Dialog* ImageLoadDialog();

  // The zoom window with the picture of an image file ("C:\VLN2\GAZOU\..."),
  // titled with the record's name and examination date (image_menus.cpp).
  void ShowZoomOfImageFile(const std::string& imageFile, const std::string& name,
                           const std::string& examDate);

  // Leave check of the image name: trimmed.
  void Text2_LostFocus();
  // The date check: the date normalised, or refused (false: the field is
  // emptied and takes the focus back).
  bool CheckDateField();
  // The ID check and lookup (the session's): the ID padded to six digits and
  // looked up in the master, or refused when it does not fit six digits
  // (false).
  bool LookUpPatientId();
  // The leave check of the field that has the focus, run now (登録 runs it
  // before its own checks, since pressing Ctrl+S leaves no field). False
  // when the field was refused. The field's own leave check later does not
  // run again for the same text.
  bool CheckFocusedField();

  // Runs the leave check of the field the focus has just left, if it has not
  // run yet. Commands that first move the focus call it so that the check
  // runs before they change the record, as a focus change does on Windows.
  void RunPendingLeaveCheck();

  // Other workstations on the drive (workstations.cpp): a look every 1.5 s
  // that follows their changes, keeping typed work; a waiting note.
  void WatchOtherWorkstations();
  void CatchUpWithOtherWorkstations();

 Q_SIGNALS:
  // Image1 was clicked (enlargement when a picture is shown, image loading
  // when it is empty).
  void Image1Clicked();
  // A command of the form is done and shown; a deletion, 全削除 or a sort
  // among them has rebuilt the data file and so ended the list being browsed.
  void CommandApplied();
  // Another workstation changed the drive and the form has followed.
  void DriveChangedElsewhere();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Build();
  void BuildControls();
  void BuildMenus();
  void SetTabOrder();
  // True, with the reason shown, when the data file could not be opened (or
  // not for writing): a command then does not say "no data".
  bool DataFileRefused(bool forWriting);
  // Shows what a command came to, then the examination or the new one it
  // leaves on screen (`lock`: the image name of a stored one locked).
  // False when the examination could not be shown.
  bool Apply(const sessions::FormChange& change, bool lock = true);
  // Apply for a command that leaves the form for another record or a new
  // one: when the form holds work not yet registered, only after the user
  // chose to discard it (false: the form stays as it is).
  bool ApplyLeaving(const sessions::FormChange& change, bool lock = true);
  // True when nothing typed would be lost by leaving the form, or the user
  // answered Yes to discarding it.
  bool MayLeaveForm();
  // A picture that is not there, said in the picture box and the status
  // line; empty: nothing to say.
  void ShowPictureNote(const std::string& note);
  void ShowDriveNote(const std::string& note);
  // Asks the question of `change` (it has one); true on Yes.
  bool Confirm(const sessions::FormChange& change);
  // ShowExamination without locking the image name: the slider and the
  // start-up leave its state as it is.
  bool ShowStoredRecord(int n);
  // Enables a menu item and connects it to a command that does nothing while
  // a long operation runs.
  void ConnectCommand(QAction* item, void (Form1::*command)());
  // The slider was moved by the user (a click, a drag, a key that moved it).
  void OnSliderAction(int action);
  // Focus colours, leave checks, the menu's shortcuts over the fields' keys.
  void WatchFocus();
  void ShiftDate(int days);
  void ConnectRegistrationCommands();
  bool PictureShown() const;
  // What the form holds for 登録.
  sessions::ExamEntry Entry() const;
  // Warns, empties a line edit when `empty`, enables and focuses the field.
  void RefuseField(const sessions::FieldRefusal& refusal);
  void RegisterNew(const sessions::ExamEntry& entry);
  void Overwrite(const sessions::ExamEntry& entry);
  void OpenImageLoadDialog(bool lowerMainWindow);
  void ConnectLookupMenus();
  void ConnectListMenus();     // 一覧, 検索, 一覧表示切替え (list_menus.cpp)
  void ConnectPatientMenus();  // 患者マスタ (patient_menus.cpp)
  void ConnectSortCommands();
  void ConnectImageMenus();    // 拡大, 画像一覧 (image_menus.cpp)
  void ConnectCompareMenus();  // 過去の検査と比較 (compare_menus.cpp)
  void OpenComparison(int record);
  void ConnectHistoryMenus();  // 変更履歴, 元に戻す (history_menus.cpp)
  void ShowAfterHistoryChange(int record);
  // バックアップ作成…, バックアップから復元…, CSV出力…, データの点検 (drive_tools_menus.cpp)
  void ConnectDriveToolsMenus();
  void RunSort(sessions::ExamFormSession::SortOrder order);
  void OpenLookupWindow(LookupListWindow*& window, LookupListWindow* (*make)(Form1&));

  store::Store& store_;
  std::unique_ptr<sessions::ExamFormSession> ownSession_;
  sessions::ExamFormSession& session_;
  platform::Ui& ui_;
  platform::Printer* printer_;
  widgets::EnterMovesOn* enterMovesOn_ = nullptr;
  widgets::LeaveChecks* leaveChecks_ = nullptr;
  QStringList printers_;
  QString currentPrinter_;
  std::vector<QAction*> menuActions_;
  bool shutDown_ = false;
  QLabel* pictureNote_ = nullptr;  // the status line's picture note, once needed
  Dialog* dialog_ = nullptr;       // the image-load dialog, once created
  Dialog2* dialog2_ = nullptr;     // the progress window, once created
  // The vocabulary windows, children of this window once created.
  LookupListWindow* form3_ = nullptr;
  LookupListWindow* form4_ = nullptr;
  LookupListWindow* form6_ = nullptr;
  LookupListWindow* form7_ = nullptr;
};
