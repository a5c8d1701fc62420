// 一覧, 検索 and 一覧表示切替え: the list views and the search dialog, each
// created on first use as a window of its own above the main window.
#include <QAction>
#include <QLineEdit>

#include "mainwin/main_window.h"
#include "platform/qt_text.h"
#include "sessions/exam_list_session.h"
#include "views/list_view1.h"
#include "views/list_views.h"
#include "views/print_range_dialog.h"
#include "views/search_dialog.h"
#include "widgets/command_guard.h"
#include "widgets/progress_window.h"

namespace {

class ListMenus : public QObject {
 public:
  // `refused` says (and shows) that the lists cannot be made now; without
  // a `printer` the lists' print buttons stay disabled.
  ListMenus(Form1& form, store::Store& store, const sessions::ExamFormSession& session,
            platform::Ui& ui, platform::Printer* printer, std::function<bool(int)> showExamination,
            std::function<bool()> refused)
      : QObject(&form),
        form_(form),
        store_(store),
        formSession_(session),
        ui_(ui),
        printer_(printer),
        showExamination_(std::move(showExamination)),
        refused_(std::move(refused)),
        session_(store) {
    setObjectName(QStringLiteral("ListMenus"));
    session_.busyCursor = [this](bool busy) { ui_.SetBusyCursor(busy); };
    connect(&form, &Form1::CommandApplied, this, [this] {
      if (lists_ != nullptr) lists_->DataFileChanged();
    });
  }

  // 一覧 (F8): the working file made a copy of the data file and shown in
  // list view 1 on its first page.
  void itiran_Click() {
    if (refused_()) return;
    if (formSession_.RecordCount() == 0) {
      ui_.MsgBox("保存データは０件です。", platform::kExclamation);
      return;
    }
    ui_.Lower();
    OpenListOfAllRecords();
  }

  // 検索 (F7): the list ended and the search dialog shown with every box
  // empty, the focus in the year box.
  void kensaku_Click() {
    ui_.Lower();
    if (refused_()) return;
    if (formSession_.RecordCount() == 0) {
      ui_.MsgBox("保存データは０件です。", platform::kExclamation);
      return;
    }
    if (platform::Status s = Lists().DiscardList(); !s.ok()) ui_.ShowErrorNumber(s.error);
    Dialog1& dialog = SearchDialog();
    dialog.ResetSearchDialog();
    form_.ShowSecondaryWindow(&dialog);
    dialog.Text1[0]->setFocus(Qt::OtherFocusReason);
  }

  // 一覧表示切替え (F11): list view 1 brought back as it was left. A working
  // file that no list of this run is showing (left by an earlier run, or
  // closed by an operation on the data file) is not trusted: the list of all
  // records is made afresh instead.
  void C_ITIRAN_Click() {
    if (refused_()) return;
    if (!store_.Files().Exists(store::kWorkFile)) {
      ui_.MsgBox("表示するデータがありません。", platform::kExclamation);
      return;
    }
    if (formSession_.RecordCount() == 0) {
      ui_.MsgBox("データがありません。", platform::kExclamation);
      return;
    }
    ui_.Lower();
    if (lists_ != nullptr && lists_->ListOpen()) {
      lists_->ShowAgain();
      return;
    }
    OpenListOfAllRecords();
  }

 private:
  void OpenListOfAllRecords() {
    ListViews& lists = Lists();
    const sessions::ListOpeningOutcome opened =
        session_.OpenListOfAllRecords(form_.ProgressDialog());
    sessions::Show(ui_, opened);
    if (opened.opening == sessions::ListOpening::Opened) lists.ShowFirstPage();
  }

  ListViews& Lists() {
    if (lists_ == nullptr) {
      lists_ = new ListViews(session_, ui_, &form_);
      lists_->showExamination = showExamination_;
      lists_->showWindow = [this](QWidget* view) { form_.ShowSecondaryWindow(view); };
      lists_->showZoom = [this](const std::string& file, const std::string& name,
                                const std::string& examDate) {
        form_.ShowZoomOfImageFile(file, name, examDate);
      };
      if (printer_ != nullptr) lists_->SetPrintRange([this] { PrintRangeDialog().Open(); });
    }
    return *lists_;
  }

  // The print range dialog of the lists, printing to the main window's printer.
  Dialog4& PrintRangeDialog() {
    if (dialog4_ == nullptr) {
      dialog4_ = new Dialog4(
          session_, ui_, *printer_, [this] { return platform::S(form_.CurrentPrinter()); }, &form_);
    }
    return *dialog4_;
  }

  Dialog1& SearchDialog() {
    if (dialog1_ == nullptr) {
      dialog1_ = new Dialog1(session_, ui_, form_.ProgressDialog(), Lists(), &form_);
      // The main window's refills of the arrhythmia list reach the dialog's.
      form_.SearchCombo3 = dialog1_->Combo3;
    }
    return *dialog1_;
  }

  Form1& form_;
  store::Store& store_;
  const sessions::ExamFormSession& formSession_;
  platform::Ui& ui_;
  platform::Printer* printer_;
  std::function<bool(int)> showExamination_;
  std::function<bool()> refused_;
  sessions::ExamListSession session_;
  ListViews* lists_ = nullptr;
  Dialog1* dialog1_ = nullptr;
  Dialog4* dialog4_ = nullptr;
};

}  // namespace

void Form1::ConnectListMenus() {
  // A row of a list opens its record here, through the record port. The
  // lists need the data file, and write the working file beside it: a run
  // that may not write the drive leaves the working file to the run that may.
  auto* menus = new ListMenus(
      *this, store_, session_, ui_, printer_,
      [this](int n) { return MayLeaveForm() && ShowExamination(n); },
      [this] {
        const std::string refusal = session_.ListsRefusal();
        if (!refusal.empty()) ui_.MsgBox(refusal, platform::kExclamation);
        return !refusal.empty();
      });
  for (QAction* item : {itiran, kensaku, C_ITIRAN}) item->setEnabled(true);
  connect(itiran, &QAction::triggered, menus,
          widgets::Guarded(store_, [menus] { menus->itiran_Click(); }));
  connect(kensaku, &QAction::triggered, menus,
          widgets::Guarded(store_, [menus] { menus->kensaku_Click(); }));
  connect(C_ITIRAN, &QAction::triggered, menus,
          widgets::Guarded(store_, [menus] { menus->C_ITIRAN_Click(); }));
}
