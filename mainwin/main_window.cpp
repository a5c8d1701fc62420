#include "mainwin/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>

#include "forms/entry_rules.h"
#include "forms/image_facts.h"
#include "forms/record_transfer.h"
#include "help/help_menu.h"
#include "platform/qt_text.h"
#include "platform/scaled_form.h"
#include "widgets/command_guard.h"
#include "widgets/enter_moves_on.h"
#include "widgets/form_setup.h"
#include "widgets/leave_checks.h"
#include "widgets/menu_shortcuts.h"
#include "widgets/printer_list.h"
#include "widgets/twips.h"

using platform::Q;

Form1::Form1(store::Store& store, sessions::ExamFormSession& session, platform::Ui& ui,
             platform::Printer* printer, QWidget* parent)
    : QMainWindow(parent), store_(store), session_(session), ui_(ui), printer_(printer) {
  Build();
}

Form1::Form1(store::Store& store, platform::Ui& ui, platform::Printer* printer, QWidget* parent)
    : QMainWindow(parent),
      store_(store),
      ownSession_(std::make_unique<sessions::ExamFormSession>(store)),
      session_(*ownSession_),
      ui_(ui),
      printer_(printer) {
  Build();
}

void Form1::Build() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Velunor2.0"));
  setFont(widgets::FormFont(9));
  BuildControls();
  BuildMenus();
  ConnectLookupMenus();
  ConnectListMenus();
  ConnectPatientMenus();
  ConnectSortCommands();
  SetTabOrder();
  WatchFocus();
  // Enter moves on from every entry field but the comment.
  enterMovesOn_ = new widgets::EnterMovesOn(this);
  for (QWidget* field : std::initializer_list<QWidget*>{Text1[0], Text1[1], Text1[2], Text1[3],
                                                        Text1[4], Combo1, Combo2, Text2}) {
    enterMovesOn_->Add(field);
  }
  for (int i = 0; i < 5; ++i) {
    for (QWidget* combo : {Combo3[i], Combo4[i], Combo5[i]}) enterMovesOn_->Add(combo);
  }
  // While a long operation runs, the windows open at its start take no input.
  new widgets::InputBlocker(store_, this);
  ConnectRegistrationCommands();
  ConnectImageMenus();
  ConnectCompareMenus();
  ConnectHistoryMenus();
  ConnectDriveToolsMenus();
  WatchOtherWorkstations();
}

void Form1::ConnectCommand(QAction* item, void (Form1::*command)()) {
  item->setEnabled(true);
  connect(item, &QAction::triggered, this,
          widgets::Guarded(store_, [this, command] { (this->*command)(); }));
}

void Form1::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setMinimumSize(widgets::Px(15240), widgets::Px(10710));
  setCentralWidget(platform::ScaledForm::Wrap(client));  // fits any screen

  widgets::BuildMainFormControls(client, *this, *this);

  auto guarded = [this](void (Form1::*command)()) {
    return widgets::Guarded(store_, [this, command] { (this->*command)(); });
  };
  connect(Command1, &QPushButton::clicked, this, guarded(&Form1::Command1_Click));
  connect(Command2, &QPushButton::clicked, this, guarded(&Form1::Command2_Click));
  connect(Command3, &QPushButton::clicked, this, guarded(&Form1::Command3_Click));
  connect(Command4, &QPushButton::clicked, this, guarded(&Form1::Command4_Click));
  connect(Slider1, &QSlider::actionTriggered, this, &Form1::OnSliderAction);
  connect(Slider1, &QSlider::sliderReleased, this, guarded(&Form1::Slider1_Click));
  connect(MonthView1, &QCalendarWidget::clicked, this, &Form1::MonthView1_DateClick);
  connect(MonthView1, &QCalendarWidget::activated, this, &Form1::MonthView1_DateClick);
  connect(Combo6, &QComboBox::activated, this, &Form1::Combo6_Click);
}

void Form1::BuildMenus() {
  menuBar()->setFont(font());
  widgets::BuildMainMenu(menuBar(), *this, menuActions_);

  // The commands of this window; the others stay disabled until the windows
  // they open are connected.
  ConnectCommand(F_end, &Form1::F_end_Click);
  ConnectCommand(G_kria, &Form1::G_kria_Click);
  ConnectCommand(maedata, &Form1::maedata_Click);
  ConnectCommand(nextdata, &Form1::nextdata_Click);
  ConnectCommand(Carender, &Form1::Carender_Click);
  if (printer_ != nullptr) ConnectCommand(D_insatu, &Form1::D_insatu_Click);
  new help::HelpMenu(this, H_guide, H_version, store_.Files().Drive().Root());
}

void Form1::SetTabOrder() {
  // The tab order of the form: Text1(0)..Text2 (0-17), the record buttons and
  // the slider (18-20), the date buttons, then Combo6 (51) and the elements
  // whose order the form has always had at its end (52-57).
  const std::vector<QWidget*> order = {
      Text1[0],  Text1[1],  Text1[2],  Combo1,    Text1[3],  Combo2,    Text1[4],  Text3,
      Combo3[0], Combo4[0], Combo3[1], Combo3[2], Combo3[3], Combo4[3], Combo3[4], Combo4[4],
      Combo5[0], Text2,     Command2,  Command1,  Slider1,   Command3,  Command4,  MonthView1,
      Combo6,    Combo4[2], Combo4[1], Combo5[4], Combo5[3], Combo5[2], Combo5[1]};
  for (std::size_t i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
}

void Form1::Form_Load() {
  const widgets::PrinterList printers = widgets::SystemPrinters();
  printers_ = printers.names;
  Combo6->clear();
  Combo6->addItems(printers_);
  Combo6->setCurrentIndex(static_cast<int>(printers_.indexOf(printers.defaultName)));
  currentPrinter_ = printers.defaultName;

  widgets::OpenMaximised(this);

  // A file or folder that cannot be used is named with the reason; the rest
  // of the store is open.
  if (platform::Status s = store_.StartUp(); !s.ok()) {
    ui_.MsgBox(store_.StartUpMessage(), platform::kExclamation);
  }

  if (session_.RecordCount() > 0 && ShowStoredRecord(session_.RecordCount())) {
    show();
    Text1[0]->setFocus();
  } else {
    StartNewExamination();
    show();
    Text1[1]->setFocus();
  }
}

bool Form1::ShowExamination(int n) {
  if (!ShowStoredRecord(n)) return false;
  Text2->setEnabled(false);
  return true;
}

bool Form1::DataFileRefused(bool forWriting) {
  const std::string refusal = session_.DataFileRefusal(forWriting);
  if (refusal.empty()) return false;
  ui_.MsgBox(refusal, platform::kExclamation);
  return true;
}

bool Form1::ShowStoredRecord(int n) {
  const sessions::ShownExamination shown = session_.ShowExamination(n);
  if (!shown.read) {
    sessions::Show(ui_, shown);
    return false;
  }
  store::ClearRecordFormForInput(store_, *this, session_.RecordCount());
  store::ShowCurrentRecord(shown.record, *this);
  sessions::Show(ui_, shown);
  ShowPictureNote(shown.missingPicture);
  if (!shown.picturePath.empty() &&
      store::ShowRecordPicture(store_.Files(), ui_, shown.picturePath, *this)) {
    session_.StoredPictureShown();
    store::ShowImageFileFacts(store_.Files(), session_.PictureSource(),
                              shown.record.Get(store::ExamField::ImageName), *this);
  }
  Label14->setText(QString::number(n));
  {
    const QSignalBlocker quiet(Slider1);
    Slider1->setValue(n);
  }
  return true;
}

void Form1::StartNewExamination() {
  store::ClearRecordFormForInput(store_, *this, session_.RecordCount());
  Text1[0]->setText(store::DateText(Today()));
  ShowPictureNote({});
  session_.StartNewExamination();
  Label14->setText(QString::number(session_.ShownRecordNumber()));
  Text2->setEnabled(true);
  Text1[1]->setFocus();
}

bool Form1::Apply(const sessions::FormChange& change, bool lock) {
  Q_EMIT CommandApplied();
  sessions::Show(ui_, change);
  switch (change.after) {
    case sessions::FormAfter::Unchanged:
      return true;
    case sessions::FormAfter::Examination:
      return lock ? ShowExamination(change.record) : ShowStoredRecord(change.record);
    case sessions::FormAfter::NewExamination:
      StartNewExamination();
      return true;
  }
  return true;
}

bool Form1::ApplyLeaving(const sessions::FormChange& change, bool lock) {
  if (change.after != sessions::FormAfter::Unchanged && !MayLeaveForm()) return false;
  return Apply(change, lock);
}

bool Form1::MayLeaveForm() {
  const std::optional<sessions::Message> ask =
      session_.AskDiscard(Entry(), store::FromQDate(Today()));
  return !ask || ui_.MsgBox(ask->text, ask->style) == platform::kAnswerYes;
}

void Form1::ShowPictureNote(const std::string& note) {
  if (!note.empty()) {
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setText(Q(note));
  }
  if (pictureNote_ == nullptr) {
    if (note.empty()) return;
    pictureNote_ = new QLabel(statusBar());
    pictureNote_->setObjectName(QStringLiteral("PictureNote"));
    statusBar()->addWidget(pictureNote_, 1);
  }
  pictureNote_->setText(Q(note));
  pictureNote_->setVisible(!note.empty());
  if (!note.empty()) {
    statusBar()->show();
    return;
  }
  // The status line goes with its last note, unless a hint is still there.
  for (QWidget* w : statusBar()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w->objectName().endsWith(QStringLiteral("Hint")) && w->isVisible()) return;
  }
  statusBar()->hide();
}

bool Form1::Confirm(const sessions::FormChange& change) {
  return ui_.MsgBox(change.ask->text, change.ask->style) == platform::kAnswerYes;
}

void Form1::ShowSecondaryWindow(QWidget* window) { widgets::ShowAboveMainWindow(ui_, window); }

void Form1::F_end_Click() { close(); }

void Form1::closeEvent(QCloseEvent* event) {
  // ShutDown: every file closed, the working file deleted, every window
  // closed, the program ends. Only typed work the user keeps stops it.
  if (!shutDown_ && !MayLeaveForm()) {
    event->ignore();
    return;
  }
  event->accept();
  if (shutDown_) return;
  shutDown_ = true;
  leaveChecks_->Stop();
  if (platform::Status s = store_.ShutDownFiles(); !s.ok()) ui_.ShowErrorNumber(s.error);
  // The other windows go without their own close handling, which could
  // reopen the files just closed.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w != this) w->hide();
  }
  QApplication::quit();
}

void Form1::Combo6_Click(int index) {
  if (index < 0 || index >= Combo6->count()) return;
  const QString chosen = Combo6->itemText(index);
  if (printers_.contains(chosen)) currentPrinter_ = chosen;
}

// --- Keyboard and focus ---------------------------------------------------

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) Q_EMIT Image1Clicked();
  if (watched == Image1 && event->type() == QEvent::Resize)
    store::RefitRecordPicture(store_.Files(), *this);
  if (watched == MonthView1 && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    MonthView1->hide();
    Text1[0]->setFocus(Qt::OtherFocusReason);
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void Form1::WatchFocus() {
  Image1->installEventFilter(this);
  MonthView1->installEventFilter(this);
  new widgets::MenuShortcutsFirst(this, menuActions_);
  leaveChecks_ = new widgets::LeaveChecks(this);
  for (QWidget* field : std::initializer_list<QWidget*>{Text1[0], Text1[1], Text1[2], Text1[3],
                                                        Text1[4], Combo1, Combo2}) {
    leaveChecks_->Colour(field);
  }
  for (int i = 0; i < 5; ++i) {
    for (QWidget* combo : {Combo3[i], Combo4[i], Combo5[i]}) leaveChecks_->Colour(combo);
  }
  leaveChecks_->OnLeave(Text1[0], [this] { return CheckDateField(); });
  leaveChecks_->OnLeave(Text1[1], [this] { return LookUpPatientId(); });
  leaveChecks_->OnLeave(Text2, [this] {
    Text2_LostFocus();
    return true;
  });
  // A check reads the master; it waits until a long operation has ended.
  leaveChecks_->WaitWhile([this] { return store_.LongOperationRunning(); });
}

void Form1::RunPendingLeaveCheck() { (void)leaveChecks_->RunPending(); }

bool Form1::CheckFocusedField() { return leaveChecks_->CheckFocused(); }
