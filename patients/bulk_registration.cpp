#include "patients/bulk_registration.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "forms/entry_rules.h"
#include "forms/patient_form.h"
#include "platform/qt_text.h"
#include "store/patients.h"
#include "views/list_cells.h"
#include "widgets/command_guard.h"
#include "widgets/enter_moves_on.h"
#include "widgets/escape_closes.h"
#include "widgets/field_fit.h"
#include "widgets/form_setup.h"
#include "widgets/leave_checks.h"

using platform::Q;
using platform::S;

Form12::Form12(sessions::PatientSession& session, PatientWindowHost& host, QWidget* parent)
    : QMainWindow(parent, Qt::Window), session_(session), host_(host) {
  setObjectName(QStringLiteral("Form12"));
  setWindowTitle(QStringLiteral("患者マスタ/一括登録"));
  setFont(widgets::FormFont(12));
  BuildControls();
  Form_Load();
}

void Form12::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);
  auto* grid = new QGridLayout();
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(8);
  const char* headings[7] = {"ファイルNO", "ID", "氏名", "ヨミカタ", "性別", "生年月日", "部署"};
  for (int c = 0; c < 7; ++c) {
    QLabel* heading = views::HeadingCell(QString::fromUtf8(headings[c]), client);
    heading->setObjectName(QStringLiteral("Label1_%1").arg(c));
    grid->addWidget(heading, 0, c);
  }
  const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
  const int wide = fontMetrics().horizontalAdvance(QStringLiteral("あ"));
  auto combo = [client](const QString& name) {
    auto* box = new QComboBox(client);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(15);
    return box;
  };
  auto edit = [client](const QString& name) {
    auto* box = new QLineEdit(client);
    box->setObjectName(name);
    return box;
  };
  for (int r = 0; r < kRows; ++r) {
    Label2[r] = views::DataCell(client, true);
    Label2[r]->setObjectName(QStringLiteral("Label2_%1").arg(r));
    Label2[r]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2[r]->setToolTip(QStringLiteral("ダブルクリックで患者マスタを並べ替えます"));
    Label2[r]->setProperty("row", r);
    Label2[r]->installEventFilter(this);
    Text1[r] = edit(QStringLiteral("Text1_%1").arg(r));
    Text1[r]->setAttribute(Qt::WA_InputMethodEnabled, false);
    Text2[r] = edit(QStringLiteral("Text2_%1").arg(r));
    Text3[r] = edit(QStringLiteral("Text3_%1").arg(r));
    Combo1[r] = combo(QStringLiteral("Combo1_%1").arg(r));
    Combo1[r]->setAttribute(Qt::WA_InputMethodEnabled, false);
    Text4[r] = edit(QStringLiteral("Text4_%1").arg(r));
    Text4[r]->setAttribute(Qt::WA_InputMethodEnabled, false);
    Combo2[r] = combo(QStringLiteral("Combo2_%1").arg(r));
    using store::PatientField;
    auto width = [](PatientField f) { return store::PatientRecord::Def(f).width; };
    widgets::FitToField(Text1[r], 0);  // rewritten when left: characters only
    widgets::FitToField(Text2[r], width(PatientField::Name));
    widgets::FitToField(Text3[r], width(PatientField::Reading));
    widgets::FitToField(Combo1[r], width(PatientField::Sex));
    widgets::FitToField(Text4[r], 0);
    widgets::FitToField(Combo2[r], width(PatientField::Department));
    Label2[r]->setMinimumWidth(digit * 11);
    Text1[r]->setMinimumWidth(digit * 8 + 12);
    Text2[r]->setMinimumWidth(wide * 10 + 12);
    Text3[r]->setMinimumWidth(wide * 10 + 12);
    Combo1[r]->setMinimumWidth(digit * 5 + 30);
    Text4[r]->setMinimumWidth(digit * 11 + 12);
    Combo2[r]->setMinimumWidth(wide * 8 + 30);
    QWidget* cells[7] = {Label2[r], Text1[r], Text2[r], Text3[r], Combo1[r], Text4[r], Combo2[r]};
    for (int c = 0; c < 7; ++c) grid->addWidget(cells[c], r + 1, c);
  }
  const int stretch[7] = {2, 2, 4, 4, 1, 3, 3};
  for (int c = 0; c < 7; ++c) grid->setColumnStretch(c, stretch[c]);

  Command1 = new QPushButton(QStringLiteral("登録(&S)"), client);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command2 = new QPushButton(QStringLiteral("クリア(&C)"), client);
  Command2->setObjectName(QStringLiteral("Command2"));
  Command3 = new QPushButton(QStringLiteral("閉じる(&E)"), client);
  widgets::EscapeClicks(this, Command3);
  Command3->setObjectName(QStringLiteral("Command3"));
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  for (QPushButton* b : {Command1, Command2, Command3}) {
    b->setMinimumSize(digit * 12, fontMetrics().height() * 2);
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  auto* outer = new QVBoxLayout(client);
  outer->setContentsMargins(24, 16, 24, 16);
  outer->addLayout(grid);
  outer->addStretch(1);
  outer->addLayout(buttons);

  std::vector<QWidget*> order;
  for (int r = 0; r < kRows; ++r) {
    for (QWidget* w : std::initializer_list<QWidget*>{Text1[r], Text2[r], Text3[r], Combo1[r],
                                                      Text4[r], Combo2[r]}) {
      order.push_back(w);
    }
  }
  for (QWidget* b : {Command1, Command2, Command3}) order.push_back(b);
  for (std::size_t i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);

  enter_ = new widgets::EnterMovesOn(this);
  leaveChecks_ = new widgets::LeaveChecks(this);
  for (QWidget* w : order) {
    if (qobject_cast<QPushButton*>(w) != nullptr) continue;
    enter_->Add(w);
    leaveChecks_->Colour(w);
  }
  for (int r = 0; r < kRows; ++r) {
    leaveChecks_->OnLeave(Text1[r], [this, r] { return Text1_LostFocus(r); });
    leaveChecks_->OnLeave(Text2[r], [this, r] { return Text2_LostFocus(r); });
    leaveChecks_->OnLeave(Text3[r], [this, r] { return Text3_LostFocus(r); });
    leaveChecks_->OnLeave(Text4[r], [this, r] { return Text4_LostFocus(r); });
  }
  store::Store& store = host_.Store();
  leaveChecks_->WaitWhile([&store] { return store.LongOperationRunning(); });

  connect(Command1, &QPushButton::clicked, this,
          widgets::Guarded(store, [this] { Command1_Click(); }));
  connect(Command2, &QPushButton::clicked, this,
          widgets::Guarded(store, [this] { Command2_Click(); }));
  connect(Command3, &QPushButton::clicked, this,
          widgets::Guarded(store, [this] { Command3_Click(); }));
}

void Form12::Form_Load() {
  widgets::OpenMaximised(this);
  ResetRows();
}

void Form12::NumberRows() {
  for (int r = 0; r < kRows; ++r) {
    Label2[r]->setText(QString::number(session_.PatientCount() + 1 + r));
  }
}

void Form12::ResetRows() {
  const std::vector<std::string> departments = session_.Departments();
  for (int r = 0; r < kRows; ++r) {
    for (QLineEdit* box : {Text1[r], Text2[r], Text3[r], Text4[r]}) box->clear();
    Combo1[r]->clear();
    Combo1[r]->addItems({QStringLiteral("M"), QStringLiteral("F")});
    Combo1[r]->setCurrentIndex(-1);
    Combo1[r]->setEditText(QString());
    Combo2[r]->clear();
    store::FillPatientDepartments(departments, Combo2[r]);
  }
  NumberRows();
  leaveChecks_->Reset();
  Text1[0]->setFocus(Qt::OtherFocusReason);
}

bool Form12::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && !host_.Store().LongOperationRunning()) {
    const std::vector<std::string> departments = session_.Departments();
    for (QComboBox* combo : Combo2) store::FillPatientDepartments(departments, combo);
    NumberRows();
  }
  return QMainWindow::event(e);
}

bool Form12::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    const QVariant row = watched->property("row");
    if (row.isValid()) {
      if (!host_.Store().LongOperationRunning()) Label2_DblClick(row.toInt());
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void Form12::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  // The window's ×: 閉じる(&E) runs (refused, as the button is, while a long
  // operation runs) and closes the window itself.
  event->ignore();
  QMetaObject::invokeMethod(Command3, &QPushButton::click, Qt::QueuedConnection);
}

void Form12::Command3_Click() {
  closing_ = true;
  leaveChecks_->Stop();
  close();
  deleteLater();
}

bool Form12::CheckId(int r, bool leaving) {
  const QString text = Text1[r]->text();
  if (text.isEmpty()) return true;
  std::vector<std::string> others;
  for (int i = 0; i < kRows; ++i) {
    if (i != r) others.push_back(S(Text1[i]->text()));
  }
  platform::Ui& ui = host_.Ui();
  const store::BulkIdCheck check = session_.CheckBulkId(S(text), others);
  auto refuse = [&](std::string_view message, int style) {
    ui.MsgBox(message, style);
    Text1[r]->clear();
    if (leaving) {
      leaveChecks_->Refocus(Text1[r]);
    } else {
      Text1[r]->setFocus(Qt::OtherFocusReason);
    }
    return false;
  };
  switch (check.outcome) {
    case store::BulkIdCheck::TooLong:
      return refuse(store::kBulkIdTooLong, platform::kOkOnly);
    case store::BulkIdCheck::InUse:
      Text1[r]->setText(Q(check.text));
      return refuse(store::kIdInUse, platform::kExclamation);
    case store::BulkIdCheck::ReadFailed:
      ui.ShowErrorNumber(check.error);
      return false;
    case store::BulkIdCheck::Accepted:
      if (Text1[r]->text() != Q(check.text)) Text1[r]->setText(Q(check.text));
      return true;
  }
  return true;
}

bool Form12::Text1_LostFocus(int r) { return CheckId(r, true); }

bool Form12::CheckLength(QLineEdit* box) {
  if (box->text().size() <= 20) return true;
  host_.Ui().MsgBox("２０文字以内で入力してください。");
  leaveChecks_->Refocus(box);
  return false;
}

bool Form12::Text2_LostFocus(int r) { return CheckLength(Text2[r]); }
bool Form12::Text3_LostFocus(int r) { return CheckLength(Text3[r]); }

bool Form12::Text4_LostFocus(int r) {
  const QString text = Text4[r]->text();
  if (text.isEmpty()) return true;
  if (std::optional<QDate> date = store::ParseExamDate(text, QDate::currentDate())) {
    Text4[r]->setText(store::DateText(*date));
    return true;
  }
  host_.Ui().MsgBox("不正な入力です。例）2004/0101", platform::kExclamation);
  leaveChecks_->Refocus(Text4[r]);
  return false;
}

void Form12::Command1_Click() {
  if (Text1[0]->text().isEmpty()) return;
  if (!leaveChecks_->CheckFocused() || !leaveChecks_->RunPending()) return;
  // The rows up to the first without an ID; each ID checked once more
  // against the master and the other rows now.
  std::vector<store::PatientRecord> patients;
  for (int r = 0; r < kRows && !Text1[r]->text().isEmpty(); ++r) {
    if (!CheckId(r, false)) return;
    store::PatientRecord p;
    p.Set(store::PatientField::PatientId, S(Text1[r]->text()));
    p.Set(store::PatientField::Name, S(Text2[r]->text()));
    p.Set(store::PatientField::Reading, S(Text3[r]->text()));
    p.Set(store::PatientField::Sex, S(Combo1[r]->currentText().left(1)));
    p.Set(store::PatientField::BirthDate, S(Text4[r]->text()));
    p.Set(store::PatientField::Department, S(Combo2[r]->currentText()));
    patients.push_back(p);
  }
  const sessions::CommandOutcome registered = session_.RegisterBulk(patients);
  sessions::Show(host_.Ui(), registered);
  if (registered.result == sessions::Done::Failed) NumberRows();
  if (registered.ok()) ResetRows();
}

void Form12::Label2_DblClick(int /*r*/) {
  const sessions::CommandOutcome sorted = session_.SortMasterAlone();
  sessions::Show(host_.Ui(), sorted);
  if (sorted.ok()) host_.Ui().SetStayOnTop(true);
}
