#include "patients/patient_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "forms/entry_rules.h"
#include "platform/qt_text.h"
#include "store/entry_rules.h"
#include "store/records.h"
#include "store/text_format.h"
#include "views/list_cells.h"
#include "widgets/command_guard.h"
#include "widgets/enter_moves_on.h"
#include "widgets/escape_closes.h"
#include "widgets/field_fit.h"
#include "widgets/form_setup.h"
#include "widgets/leave_checks.h"

using platform::Q;
using platform::S;

Form10::Form10(sessions::PatientSession& session, PatientWindowHost& host, QWidget* parent)
    : QMainWindow(parent, Qt::Window), session_(session), host_(host) {
  setObjectName(QStringLiteral("Form10"));
  setWindowTitle(QStringLiteral("患者マスタ/新規登録"));
  setFont(widgets::FormFont(12));
  BuildControls();
  Form_Load();
}

void Form10::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);
  auto* panel = new QFrame(client);
  panel->setObjectName(QStringLiteral("panel"));
  panel->setFrameShape(QFrame::StyledPanel);

  Label1 = new QLabel(QStringLiteral("患者登録"), panel);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(widgets::FormFont(18, true));
  Label9 = new QLabel(panel);
  Label9->setObjectName(QStringLiteral("Label9"));
  Label9->setFrameShape(QFrame::Box);
  Label9->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label9->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);

  auto edit = [panel](const char* name) {
    auto* box = new QLineEdit(panel);
    box->setObjectName(QString::fromUtf8(name));
    return box;
  };
  auto combo = [panel](const char* name) {
    auto* box = new QComboBox(panel);
    box->setObjectName(QString::fromUtf8(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(15);
    return box;
  };
  Text1 = edit("Text1");
  Text1->setAttribute(Qt::WA_InputMethodEnabled, false);
  Text2 = edit("Text2");
  Text3 = edit("Text3");
  Combo1 = combo("Combo1");
  Combo1->setAttribute(Qt::WA_InputMethodEnabled, false);
  Text4 = edit("Text4");
  Text4->setAttribute(Qt::WA_InputMethodEnabled, false);
  Combo2 = combo("Combo2");
  Text5 = edit("Text5");
  // The ID and the date of birth are rewritten when left: characters only.
  auto width = [](store::PatientField f) { return store::PatientRecord::Def(f).width; };
  widgets::FitToField(Text1, 0);
  widgets::FitToField(Text2, width(store::PatientField::Name));
  widgets::FitToField(Text3, width(store::PatientField::Reading));
  widgets::FitToField(Combo1, width(store::PatientField::Sex));
  widgets::FitToField(Text4, 0);
  widgets::FitToField(Combo2, width(store::PatientField::Department));
  widgets::FitToField(Text5, width(store::PatientField::Remarks));
  const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
  const int wide = fontMetrics().horizontalAdvance(QStringLiteral("あ"));
  Text1->setFixedWidth(digit * 8 + 16);
  Text2->setFixedWidth(wide * 12 + 16);
  Text3->setFixedWidth(wide * 12 + 16);
  Combo1->setFixedWidth(digit * 6 + 40);
  Text4->setFixedWidth(digit * 12 + 16);
  Combo2->setFixedWidth(wide * 12 + 40);
  Text5->setMinimumWidth(wide * 26 + 16);

  auto* grid = new QGridLayout();
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(14);
  auto row = [&](int r, const char* caption, QWidget* field, const char* hint) {
    grid->addWidget(new QLabel(QString::fromUtf8(caption), panel), r, 0);
    grid->addWidget(field, r, 1, Qt::AlignLeft);
    if (hint != nullptr) grid->addWidget(new QLabel(QString::fromUtf8(hint), panel), r, 2);
  };
  row(0, "ID", Text1, "(数字6桁以内)");
  row(1, "氏名", Text2, "(全角10字以内)");
  row(2, "ヨミカタ", Text3, "(半角カナ20字以内)");
  row(3, "性別", Combo1, nullptr);
  row(4, "生年月日", Text4, "（年、月、日を／で区切る）");
  row(5, "部署", Combo2, nullptr);
  row(6, "備考", Text5, nullptr);
  grid->addWidget(new QLabel(QStringLiteral("半角(50字/全角25字以内)"), panel), 7, 1, 1, 2);
  grid->setColumnStretch(2, 1);

  Slider1 = new QSlider(Qt::Horizontal, panel);
  Slider1->setObjectName(QStringLiteral("Slider1"));
  Slider1->setToolTip(QStringLiteral("表示する患者を選ぶ"));
  Slider1->setRange(0, 0);
  Slider1->setPageStep(1);
  Command6 = views::ArrowButton(false, panel);
  Command6->setObjectName(QStringLiteral("Command6"));
  Command5 = views::ArrowButton(true, panel);
  Command5->setObjectName(QStringLiteral("Command5"));
  Command7 = new QPushButton(QStringLiteral("(&B)"), panel);
  Command7->setObjectName(QStringLiteral("Command7"));
  Command8 = new QPushButton(QStringLiteral("(&N)"), panel);
  Command8->setObjectName(QStringLiteral("Command8"));
  for (QPushButton* twin : {Command7, Command8}) {
    twin->setFlat(true);
    twin->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("(N)")) + 12);
  }
  auto* browse = new QHBoxLayout();
  browse->addWidget(Command7);
  browse->addWidget(Command6);
  browse->addWidget(Slider1, 1);
  browse->addWidget(Command5);
  browse->addWidget(Command8);

  Command1 = new QPushButton(QStringLiteral("登録(&S)"), panel);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command4 = new QPushButton(QStringLiteral("クリア(&C)"), panel);
  Command4->setObjectName(QStringLiteral("Command4"));
  Command3 = new QPushButton(QStringLiteral("削除(&X)"), panel);
  Command3->setObjectName(QStringLiteral("Command3"));
  Command9 = new QPushButton(QStringLiteral("変更履歴(&H)"), panel);
  Command9->setObjectName(QStringLiteral("Command9"));
  Command9->setEnabled(false);
  Command2 = new QPushButton(QStringLiteral("閉じる(&E)"), panel);
  widgets::EscapeClicks(this, Command2);
  Command2->setObjectName(QStringLiteral("Command2"));
  auto* buttons = new QHBoxLayout();
  for (QPushButton* b : {Command1, Command4, Command3, Command9, Command2}) {
    b->setMinimumSize(digit * 12, fontMetrics().height() * 2);
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }

  auto* heading = new QHBoxLayout();
  heading->addWidget(Label1);
  heading->addStretch(1);
  heading->addWidget(new QLabel(QStringLiteral("ファイルNO"), panel));
  heading->addWidget(Label9);
  auto* inner = new QVBoxLayout(panel);
  inner->setContentsMargins(32, 24, 32, 24);
  inner->addLayout(heading);
  inner->addSpacing(12);
  inner->addLayout(grid);
  inner->addSpacing(16);
  inner->addLayout(browse);
  inner->addSpacing(16);
  inner->addLayout(buttons);
  auto* outer = new QGridLayout(client);
  outer->addWidget(panel, 0, 0, Qt::AlignCenter);

  M_DATA = menuBar()->addMenu(QStringLiteral("データ(&D)"));
  M_DATA->setObjectName(QStringLiteral("M_DATA"));
  M_TOUROKU = M_DATA->addAction(QStringLiteral("登録"));
  M_TOUROKU->setObjectName(QStringLiteral("M_TOUROKU"));
  M_CLEAR = M_DATA->addAction(QStringLiteral("クリア"));
  M_CLEAR->setObjectName(QStringLiteral("M_CLEAR"));
  M_SAKUJYO = M_DATA->addAction(QStringLiteral("削除"));
  M_SAKUJYO->setObjectName(QStringLiteral("M_SAKUJYO"));

  const std::vector<QWidget*> order = {Text1,    Text2,    Text3,    Combo1,   Text4,
                                       Combo2,   Text5,    Command1, Command4, Command3,
                                       Command9, Command2, Command6, Slider1,  Command5};
  for (std::size_t i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
  enter_ = new widgets::EnterMovesOn(this);
  for (QWidget* w :
       std::initializer_list<QWidget*>{Text1, Text2, Text3, Combo1, Text4, Combo2, Text5}) {
    enter_->Add(w);
  }
  leaveChecks_ = new widgets::LeaveChecks(this);
  for (QWidget* w :
       std::initializer_list<QWidget*>{Text1, Text2, Text3, Combo1, Text4, Combo2, Text5}) {
    leaveChecks_->Colour(w);
  }
  leaveChecks_->OnLeave(Text1, [this] { return Text1_LostFocus(); });
  leaveChecks_->OnLeave(Text4, [this] { return Text4_LostFocus(); });
  store::Store& store = host_.Store();
  leaveChecks_->WaitWhile([&store] { return store.LongOperationRunning(); });

  auto guarded = [this, &store](auto signalSource, auto signal, void (Form10::*command)()) {
    connect(signalSource, signal, this,
            widgets::Guarded(store, [this, command] { (this->*command)(); }));
  };
  guarded(Command1, &QPushButton::clicked, &Form10::Command1_Click);
  guarded(Command2, &QPushButton::clicked, &Form10::Command2_Click);
  guarded(Command3, &QPushButton::clicked, &Form10::Command3_Click);
  guarded(Command4, &QPushButton::clicked, &Form10::Command4_Click);
  guarded(Command5, &QPushButton::clicked, &Form10::Command5_Click);
  guarded(Command6, &QPushButton::clicked, &Form10::Command6_Click);
  connect(Text1, &QLineEdit::textChanged, Command9,
          [this](const QString& id) { Command9->setEnabled(!id.isEmpty()); });
  connect(Command9, &QPushButton::clicked, this, widgets::Guarded(store, [this] {
            if (showHistory && !Text1->text().isEmpty()) {
              showHistory(S(store::FormatPatientId(Text1->text())));
            }
          }));
  guarded(Command7, &QPushButton::clicked, &Form10::Command7_Click);
  guarded(Command8, &QPushButton::clicked, &Form10::Command8_Click);
  guarded(M_TOUROKU, &QAction::triggered, &Form10::Command1_Click);
  guarded(M_CLEAR, &QAction::triggered, &Form10::Command4_Click);
  guarded(M_SAKUJYO, &QAction::triggered, &Form10::Command3_Click);
  auto slider = widgets::Guarded(store, [this] { Slider1_Click(); });
  connect(Slider1, &QSlider::sliderReleased, this, slider, Qt::QueuedConnection);
  connect(Slider1, &QSlider::actionTriggered, this, [this, slider](int action) {
    if (action == QAbstractSlider::SliderMove) return;
    QMetaObject::invokeMethod(this, slider, Qt::QueuedConnection);
  });
}

void Form10::Form_Load() { widgets::OpenMaximised(this); }

bool Form10::event(QEvent* e) {
  // The departments as the department list holds them now.
  if (e->type() == QEvent::WindowActivate && !host_.Store().LongOperationRunning()) {
    store::FillPatientDepartments(session_.Departments(), Combo2);
  }
  return QMainWindow::event(e);
}

void Form10::ClearForm() {
  store::ClearPatientForm(session_.Departments(), session_.PatientCount(), *this);
}

void Form10::NumberAsNew() {
  Label9->setText(QString::number(session_.NumberAsNew()));
  Slider1->setValue(0);
  Command3->setEnabled(false);
}

void Form10::OpenForNewPatient() {
  // Typed work the user keeps stays on the form, which comes to the front.
  if (isVisible() && !MayLeaveFor(0)) return host_.Show(this);
  ClearForm();
  session_.OpenForNewPatient();
  Slider1->setRange(0, session_.PatientCount());
  leaveChecks_->Reset();
  NumberAsNew();
  host_.Show(this);
  Text1->setFocus(Qt::OtherFocusReason);
}

void Form10::ShowFound(const sessions::PatientShown& patient) {
  store::ShowPatient(patient.record, *this, Q(patient.fileNumber));
  Command3->setEnabled(true);
  Slider1->setValue(patient.position);
}

void Form10::ShowStoredPatient(const sessions::PatientShown& patient) {
  ClearForm();
  ShowFound(patient);
  leaveChecks_->Reset();
  host_.Show(this);
  Text1->setFocus(Qt::OtherFocusReason);
}

void Form10::ShowStep(const sessions::PatientShown& step) {
  if (!step.tried) return;
  ClearForm();
  if (step.shown()) ShowFound(step);
  sessions::Show(host_.Ui(), step);
}

void Form10::FollowMaster() {
  Slider1->setRange(0, session_.PatientCount());
  bool asNew = false;
  if (!session_.FollowMaster(asNew)) return;
  if (asNew) {
    Label9->setText(QString::number(session_.FileNumber()));
    Slider1->setValue(0);
    Command3->setEnabled(false);
    return;
  }
  Label9->setText(Q(store::FormatNumber(session_.FileNumber(), "000000")));
}

bool Form10::Text1_LostFocus() {
  const QString text = Text1->text();
  if (text.isEmpty()) return true;
  const QString formatted = store::FormatPatientId(text);
  if (formatted != text) Text1->setText(formatted);
  const sessions::IdLookupOutcome found = session_.LookUpId(S(formatted));
  switch (found.result) {
    case sessions::IdLookup::EmptyMaster:
    case sessions::IdLookup::ReadFailed:
      sessions::Show(host_.Ui(), found);
      return true;
    case sessions::IdLookup::Found:
      if (found.shown()) ShowFound(found);
      sessions::Show(host_.Ui(), found);
      return true;
    case sessions::IdLookup::NewPatient:
      break;
  }
  // A new patient, whatever the form showed before.
  NumberAsNew();
  Text2->setFocus(Qt::OtherFocusReason);
  return true;
}

bool Form10::Text4_LostFocus() {
  const QString text = Text4->text();
  if (text.isEmpty()) return true;
  if (std::optional<QDate> date = store::ParseExamDate(text, QDate::currentDate())) {
    Text4->setText(store::DateText(*date));
    return true;
  }
  host_.Ui().MsgBox("入力が不正です。", platform::kExclamation);
  leaveChecks_->Refocus(Text4);
  return false;
}

void Form10::Command1_Click() {
  if (!leaveChecks_->CheckFocused() || !leaveChecks_->RunPending()) return;
  const QString id = Text1->text();
  sessions::Outcome refused;
  switch (sessions::PatientSession::CheckRegistration(S(id), S(Text2->text()), refused)) {
    case sessions::RegistrationCheck::BadId:
      sessions::Show(host_.Ui(), refused);
      Text1->setFocus(Qt::OtherFocusReason);
      return;
    case sessions::RegistrationCheck::NoName:
      sessions::Show(host_.Ui(), refused);
      Text2->setFocus(Qt::OtherFocusReason);
      return;
    case sessions::RegistrationCheck::Accepted:
      break;
  }
  Text1->setText(store::FormatPatientId(id));
  const sessions::CommandOutcome registered = session_.Register(store::StorePatientForm(*this));
  sessions::Show(host_.Ui(), registered);
  if (!registered.ok()) return;
  ClearForm();
  leaveChecks_->Reset();
  NumberAsNew();
  Text1->setFocus(Qt::OtherFocusReason);
}

void Form10::Command3_Click() {
  (void)leaveChecks_->RunPending();
  if (host_.Ui().MsgBox("この患者データを削除しますか？",
                        platform::kYesNo | platform::kDefaultButton2) != platform::kAnswerYes) {
    return;
  }
  const sessions::DeletionOutcome deleted = session_.DeleteShown();
  sessions::Show(host_.Ui(), deleted);
  if (!deleted.ok()) return;
  ClearForm();
  NumberAsNew();
  hide();
  if (deleted.listed) host_.ShowList();
}

void Form10::Command4_Click() {
  ClearForm();
  session_.Clear();
  leaveChecks_->Reset();
  Text1->setFocus(Qt::OtherFocusReason);
}

bool Form10::MayDiscardTyped() { return !isVisible() || MayLeaveFor(0); }

bool Form10::MayLeaveFor(std::int32_t n) {
  if (n != 0 && !session_.HasPatient(n)) return true;  // the step goes nowhere
  const std::optional<sessions::Message> ask = session_.AskDiscard(store::StorePatientForm(*this));
  return !ask || host_.Ui().MsgBox(ask->text, ask->style) == platform::kAnswerYes;
}

void Form10::closeEvent(QCloseEvent* event) {
  if (!isVisible() || MayLeaveFor(0)) return QMainWindow::closeEvent(event);
  event->ignore();
}

void Form10::Command2_Click() {
  if (MayLeaveFor(0)) hide();
}

void Form10::Command5_Click() {
  if (MayLeaveFor(session_.FileNumber() + 1)) ShowStep(session_.Next());
}

void Form10::Command6_Click() {
  if (MayLeaveFor(session_.FileNumber() - 1)) ShowStep(session_.Previous());
}

void Form10::Command7_Click() {
  Command6->setFocus(Qt::OtherFocusReason);
  Command6_Click();
}

void Form10::Command8_Click() {
  Command5->setFocus(Qt::OtherFocusReason);
  Command5_Click();
}

void Form10::Slider1_Click() {
  if (MayLeaveFor(Slider1->value())) return ShowStep(session_.GoTo(Slider1->value()));
  // The typed work stays, and the slider with it.
  const QSignalBlocker quiet(Slider1);
  Slider1->setValue(session_.HasPatient(session_.FileNumber()) ? session_.FileNumber() : 0);
}
