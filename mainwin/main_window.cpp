#include "mainwin/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>

#include "forms/entry_rules.h"
#include "forms/image_facts.h"
#include "forms/record_transfer.h"
#include "mainwin/printers.h"
#include "platform/japanese.h"
#include "platform/qt_text.h"
#include "platform/scaled_form.h"
#include "store/text_format.h"
#include "widgets/command_guard.h"
#include "widgets/enter_moves_on.h"
#include "widgets/form_setup.h"
#include "widgets/leave_checks.h"
#include "widgets/menu_shortcuts.h"
#include "widgets/record_layout.h"
#include "widgets/twips.h"

using platform::Q;
using platform::S;

namespace {

using widgets::Caption;
using widgets::DisableInputMethod;
using widgets::kComboHeight;
using widgets::Px;
using widgets::Twips;

}  // namespace

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
}

void Form1::ConnectCommand(QAction* item, void (Form1::*command)()) {
  item->setEnabled(true);
  connect(item, &QAction::triggered, this,
          widgets::Guarded(store_, [this, command] { (this->*command)(); }));
}

void Form1::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setMinimumSize(Px(15240), Px(10710));
  setCentralWidget(platform::ScaledForm::Wrap(client));  // fits any screen

  Frame1 = widgets::RecordFieldsFrame(client, *this);

  Command3 = new QPushButton(QStringLiteral("(+)"), Frame1);
  Command3->setObjectName(QStringLiteral("Command3"));
  Command3->setGeometry(Twips(2760, 120, 735, 300));
  Command4 = new QPushButton(QStringLiteral("(-)"), Frame1);
  Command4->setObjectName(QStringLiteral("Command4"));
  Command4->setGeometry(Twips(2760, 480, 735, 300));

  // --- Outside the frame ------------------------------------------------
  Image1 = new QLabel(client);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(Twips(120, 3720, 10005, 6855));
  Image1->setScaledContents(true);
  Image1->setFrameShape(QFrame::Box);
  Image1->setToolTip(QStringLiteral("クリックして拡大表示"));

  Command2 = new QPushButton(style()->standardIcon(QStyle::SP_ArrowLeft), QString(), client);
  Command2->setObjectName(QStringLiteral("Command2"));
  Command2->setGeometry(Twips(10320, 3720, 1215, 615));
  Command2->setIconSize(QSize(24, 24));
  Command2->setToolTip(QStringLiteral("前のデータ"));
  Command1 = new QPushButton(style()->standardIcon(QStyle::SP_ArrowRight), QString(), client);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setGeometry(Twips(11520, 3720, 1215, 615));
  Command1->setIconSize(QSize(24, 24));
  Command1->setToolTip(QStringLiteral("次のデータ"));

  Slider1 = new QSlider(Qt::Horizontal, client);
  Slider1->setObjectName(QStringLiteral("Slider1"));
  Slider1->setGeometry(Twips(10320, 4320, 2415, 615));
  Slider1->setFocusPolicy(Qt::StrongFocus);
  Slider1->setTickPosition(QSlider::TicksBelow);
  Slider1->setRange(0, 1);

  const widgets::RecordNumber number = widgets::RecordNumberLabels(client);
  Label12 = number.caption;
  Label14 = number.number;
  Frame2 = widgets::ImageFactsFrame(client, Label19);

  Caption(client, "(使用プリンター)", Twips(10200, 8700, 3000, 270), "Label24");
  Combo6 = new QComboBox(client);
  Combo6->setObjectName(QStringLiteral("Combo6"));
  Combo6->setGeometry(Twips(10200, 9000, 4815, kComboHeight));

  Caption(client, "保存用画像名", Twips(10320, 9600, 2400, 270), "Label20");
  Caption(client, "(半角英数字10文字)", Twips(10320, 9900, 3000, 270), "Label21");
  Text2 = new QLineEdit(client);
  Text2->setObjectName(QStringLiteral("Text2"));
  Text2->setGeometry(Twips(10320, 10200, 1695, 345));
  Text2->setMaxLength(10);
  DisableInputMethod(Text2);
  Caption(client, ".jpg", Twips(12090, 10245, 600, 270), "Label22");

  MonthView1 = new QCalendarWidget(client);
  MonthView1->setObjectName(QStringLiteral("MonthView1"));
  MonthView1->setGeometry(Twips(4920, 4080, 3840, 4020));
  MonthView1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  platform::MakeJapaneseCalendar(MonthView1);
  MonthView1->hide();

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
  const mainwin::PrinterList printers = mainwin::SystemPrinters();
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
  store::ClearRecordForm(*this, session_.RecordCount());
  store::FillLookupLists(store_, *this);
  store::ShowCurrentRecord(shown.record, *this);
  sessions::Show(ui_, shown);
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
  store::ClearRecordForm(*this, session_.RecordCount());
  store::FillLookupLists(store_, *this);
  Text1[0]->setText(store::DateText(Today()));
  session_.StartNewExamination();
  Label14->setText(QString::number(session_.ShownRecordNumber()));
  Text2->setEnabled(true);
  Text1[1]->setFocus();
}

bool Form1::Apply(const sessions::FormChange& change, bool lock) {
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

bool Form1::Confirm(const sessions::FormChange& change) {
  return ui_.MsgBox(change.ask->text, change.ask->style) == platform::kAnswerYes;
}

void Form1::ShowSecondaryWindow(QWidget* window) {
  ui_.Lower();
  window->show();
  window->raise();
  window->activateWindow();
}

void Form1::F_end_Click() { close(); }

void Form1::closeEvent(QCloseEvent* event) {
  // ShutDown: every file closed, the working file deleted, every window
  // closed, the program ends. Closing is never cancelled.
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
  return QMainWindow::eventFilter(watched, event);
}

void Form1::WatchFocus() {
  Image1->installEventFilter(this);
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
