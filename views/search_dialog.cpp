#include "views/search_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <algorithm>

#include "platform/qt_text.h"
#include "store/entry_rules.h"
#include "store/text_format.h"
#include "views/list_views.h"
#include "widgets/enter_moves_on.h"
#include "widgets/form_setup.h"
#include "widgets/leave_checks.h"

using platform::Q;
using platform::S;

namespace {

// A box for digits and letters only: the input method stays off.
void InputMethodOff(QWidget* w) {
  w->setAttribute(Qt::WA_InputMethodEnabled, false);
  w->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
}

QComboBox* Combo(QWidget* parent, const QString& name) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setMaxVisibleItems(15);
  return combo;
}

void Refill(QComboBox* combo, const std::vector<std::string>& entries) {
  QStringList items;
  for (const std::string& entry : entries) items << Q(entry);
  combo->clear();
  combo->addItems(items);
  combo->setCurrentIndex(-1);
  combo->setEditText(QString());
}

}  // namespace

Dialog1::Dialog1(sessions::ExamListSession& session, platform::Ui& ui, platform::Progress& progress,
                 ListViews& lists, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui), progress_(progress), lists_(lists) {
  setObjectName(QStringLiteral("Dialog1"));
  setWindowTitle(QStringLiteral("検索条件"));
  setModal(false);
  setFont(widgets::FormFont(11));
  BuildControls();
}

void Dialog1::BuildControls() {
  for (int i = 0; i < 5; ++i) {
    Text1[i] = new QLineEdit(this);
    Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
    InputMethodOff(Text1[i]);
  }
  Text2 = new QLineEdit(this);
  Text2->setObjectName(QStringLiteral("Text2"));
  InputMethodOff(Text2);
  // The name is typed in Japanese: the input method is on for this box. Qt
  // cannot choose the input method's mode, so hiragana is what the input
  // method itself starts in.
  Text3 = new QLineEdit(this);
  Text3->setObjectName(QStringLiteral("Text3"));
  Text3->setAttribute(Qt::WA_InputMethodEnabled, true);
  Text3->setInputMethodHints(Qt::ImhNone);
  Combo1 = Combo(this, QStringLiteral("Combo1"));
  InputMethodOff(Combo1);
  InputMethodOff(Combo1->lineEdit());
  Combo2 = Combo(this, QStringLiteral("Combo2"));
  Combo3 = Combo(this, QStringLiteral("Combo3"));
  // Department and arrhythmia search for what is typed: a part of an entry
  // is never completed into the whole entry.
  for (QComboBox* c : {Combo2, Combo3}) {
    c->setInputMethodHints(Qt::ImhPreferLatin);
    c->setCompleter(nullptr);
  }

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  Command1 = new QPushButton(QStringLiteral("クリア"), this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setAutoDefault(false);
  CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  CancelButton->setAutoDefault(false);

  Note = new QLabel(QStringLiteral("1項目以上入力"), this);
  Note->setObjectName(QStringLiteral("Note"));
  QPalette red = Note->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  Note->setPalette(red);

  auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
  const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
  auto narrow = [digit](QWidget* w, int digits) { w->setFixedWidth(digit * digits + 16); };
  narrow(Text1[0], 6);
  narrow(Text1[1], 3);
  narrow(Text1[2], 3);
  narrow(Text1[3], 4);
  narrow(Text1[4], 4);
  narrow(Text2, 8);
  narrow(Combo1, 6);

  auto* grid = new QGridLayout();
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(10);
  auto row = [grid](int r, QLabel* caption, std::initializer_list<QWidget*> widgets) {
    grid->addWidget(caption, r, 0);
    auto* line = new QHBoxLayout();
    for (QWidget* w : widgets) line->addWidget(w);
    line->addStretch(1);
    grid->addLayout(line, r, 1);
  };
  row(0, label("検査日"),
      {Text1[0], label("(年/西暦)"), Text1[1], label("(月)"), Text1[2], label("(日)")});
  row(1, label("ID"), {Text2, label("（数字６桁まで）")});
  grid->addWidget(label("氏名"), 2, 0);
  grid->addWidget(Text3, 2, 1);
  row(3, label("性別"), {Combo1});
  row(4, label("年齢"), {Text1[3], label("～"), Text1[4]});
  grid->addWidget(label("所属"), 5, 0);
  grid->addWidget(Combo2, 5, 1);
  grid->addWidget(label("不整脈"), 6, 0);
  grid->addWidget(Combo3, 6, 1);
  grid->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(OKButton);
  buttons->addWidget(Command1);
  buttons->addWidget(CancelButton);

  auto* outer = new QVBoxLayout(this);
  outer->addWidget(Note);
  outer->addLayout(grid);
  outer->addSpacing(8);
  outer->addLayout(buttons);
  setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("検査日　")) + digit * 50);

  const std::vector<QWidget*> order = {Text1[0], Text1[1], Text1[2],    Text2,  Text3,
                                       Combo1,   Text1[3], Text1[4],    Combo2, Combo3,
                                       OKButton, Command1, CancelButton};
  for (std::size_t i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);

  enter_ = new widgets::EnterMovesOn(this);
  for (QWidget* w :
       {static_cast<QWidget*>(Text1[0]), static_cast<QWidget*>(Text1[1]),
        static_cast<QWidget*>(Text1[2]), static_cast<QWidget*>(Text1[3]),
        static_cast<QWidget*>(Text1[4]), static_cast<QWidget*>(Text2), static_cast<QWidget*>(Text3),
        static_cast<QWidget*>(Combo1), static_cast<QWidget*>(Combo2)}) {
    enter_->Add(w);
  }
  leaveChecks_ = new widgets::LeaveChecks(this);
  for (int i = 0; i < 3; ++i)
    leaveChecks_->OnLeave(Text1[i], [this, i] { return CheckDateBox(i); });
  leaveChecks_->OnLeave(Text2, [this] {
    Text2_LostFocus();
    return true;
  });

  connect(OKButton, &QPushButton::clicked, this, &Dialog1::OKButton_Click);
  connect(Command1, &QPushButton::clicked, this, &Dialog1::Command1_Click);
  connect(CancelButton, &QPushButton::clicked, this, &Dialog1::CancelButton_Click);
}

void Dialog1::ResetSearchDialog() {
  for (QLineEdit* box : Text1) box->clear();
  Text2->clear();
  Text3->clear();
  Combo1->clear();
  Combo1->addItems({QStringLiteral("M"), QStringLiteral("F")});
  Combo1->setCurrentIndex(-1);
  Combo1->setEditText(QString());
  Refill(Combo2, session_.Entries(store::LookupList::Department));
  Refill(Combo3, session_.Entries(store::LookupList::Arrhythmia));
  leaveChecks_->Reset();
}

void Dialog1::Text1_LostFocus(int index) {
  if (index >= 0 && index <= 2) (void)CheckDateBox(index);
}

bool Dialog1::CheckDateBox(int index) {
  store::BoxCheck check;
  if (index == 0) {
    check = store::CheckYearBox(S(Text1[0]->text()));
  } else if (index == 1) {
    check = store::CheckMonthBox(S(Text1[1]->text()), S(Text1[0]->text()));
  } else {
    check = store::CheckDayBox(S(Text1[2]->text()), S(Text1[1]->text()), S(Text1[0]->text()));
  }
  switch (check.outcome) {
    case store::BoxCheck::Accepted:
      if (Text1[index]->text() != Q(check.text)) Text1[index]->setText(Q(check.text));
      return true;
    case store::BoxCheck::Refused:
      ui_.MsgBox(check.message, platform::kExclamation);
      Text1[index]->setText(Q(check.text));
      leaveChecks_->Refocus(Text1[index]);
      return false;
    case store::BoxCheck::YearMissing:
      ui_.MsgBox(check.message, platform::kExclamation);
      leaveChecks_->Refocus(Text1[0]);
      return false;
  }
  return true;
}

void Dialog1::Text2_LostFocus() {
  const QString formatted = Q(store::FormatPatientId(S(Text2->text())));
  if (formatted != Text2->text()) Text2->setText(formatted);
}

void Dialog1::ReadCriteria() {
  auto trimmed = [](const QString& text) { return store::Trimmed(S(text)); };
  SearchCriteria.year = trimmed(Text1[0]->text());
  SearchCriteria.month = trimmed(Text1[1]->text());
  SearchCriteria.day = trimmed(Text1[2]->text());
  SearchCriteria.id = trimmed(Text2->text());
  SearchCriteria.name = trimmed(Text3->text());
  SearchCriteria.sex = S(Combo1->currentText());
  SearchCriteria.ageFrom = trimmed(Text1[3]->text());
  SearchCriteria.ageTo = trimmed(Text1[4]->text());
  SearchCriteria.department = trimmed(Combo2->currentText());
  SearchCriteria.arrhythmia = trimmed(Combo3->currentText());
}

void Dialog1::OKButton_Click() {
  if (session_.LongOperationRunning()) return;
  if (!leaveChecks_->RunPending()) return;
  if (platform::Status s = lists_.DiscardList(); !s.ok()) {
    ui_.ShowErrorNumber(s.error);
    return;
  }
  ReadCriteria();
  const sessions::ListOpeningOutcome found = session_.Search(SearchCriteria, progress_);
  sessions::Show(ui_, found);
  switch (found.opening) {
    case sessions::ListOpening::Refused:
      if (found.refusal == store::CriteriaRefusal::AgeRange) {
        Text1[3]->clear();
        Text1[4]->clear();
        Text1[3]->setFocus(Qt::OtherFocusReason);
      } else {
        Text1[0]->setFocus(Qt::OtherFocusReason);
      }
      return;
    case sessions::ListOpening::Opened:
      lists_.ShowFirstPage();
      hide();
      return;
    case sessions::ListOpening::NothingFound:
      hide();
      return;
    case sessions::ListOpening::Busy:
    case sessions::ListOpening::Failed:
      return;
  }
}

void Dialog1::Command1_Click() {
  ResetSearchDialog();
  Text1[0]->setFocus(Qt::OtherFocusReason);
}

void Dialog1::CancelButton_Click() { hide(); }

void Dialog1::reject() { CancelButton_Click(); }
