#include "patients/patient_search_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/qt_text.h"
#include "widgets/command_guard.h"
#include "widgets/enter_moves_on.h"
#include "widgets/form_setup.h"

using platform::S;

Dialog3::Dialog3(sessions::PatientSession& session, PatientWindowHost& host, QWidget* parent)
    : QDialog(parent), session_(session), host_(host) {
  setObjectName(QStringLiteral("Dialog3"));
  setWindowTitle(QStringLiteral("患者マスタ/検索"));
  setModal(false);
  setFont(widgets::FormFont(11));

  Option1 = new QRadioButton(QStringLiteral("カルテNO"), this);
  Option1->setObjectName(QStringLiteral("Option1"));
  Option2 = new QRadioButton(QStringLiteral("氏名"), this);
  Option2->setObjectName(QStringLiteral("Option2"));
  Option3 = new QRadioButton(QStringLiteral("ﾖﾐｶﾀ"), this);
  Option3->setObjectName(QStringLiteral("Option3"));
  const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
  for (int i = 0; i < 3; ++i) {
    Text1[i] = new QLineEdit(this);
    Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
    QSizePolicy keep = Text1[i]->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Text1[i]->setSizePolicy(keep);
  }
  Text1[0]->setFixedWidth(digit * 8 + 16);
  Text1[0]->setAttribute(Qt::WA_InputMethodEnabled, false);
  Text1[1]->setMinimumWidth(digit * 24);
  Text1[2]->setMinimumWidth(digit * 24);
  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  CancelButton->setAutoDefault(false);

  auto* grid = new QGridLayout();
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(12);
  QRadioButton* options[3] = {Option1, Option2, Option3};
  for (int i = 0; i < 3; ++i) {
    grid->addWidget(options[i], i, 0);
    grid->addWidget(Text1[i], i, 1, Qt::AlignLeft);
  }
  grid->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(OKButton);
  buttons->addWidget(CancelButton);
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(grid);
  outer->addSpacing(8);
  outer->addLayout(buttons);

  enter_ = new widgets::EnterMovesOn(this);
  for (QLineEdit* box : Text1) enter_->Add(box);

  store::Store& store = host_.Store();
  for (int i = 0; i < 3; ++i) {
    connect(options[i], &QRadioButton::clicked, this, [this, i] { Option_Click(i); });
  }
  connect(OKButton, &QPushButton::clicked, this,
          widgets::Guarded(store, [this] { OKButton_Click(); }));
  connect(CancelButton, &QPushButton::clicked, this, &Dialog3::CancelButton_Click);
}

void Dialog3::Open() {
  for (QLineEdit* box : Text1) {
    box->clear();
    box->hide();
  }
  host_.Ui().DoEvents();
  host_.Show(this);
  Text1[0]->show();
  Option1->setChecked(true);
  Text1[0]->setFocus(Qt::OtherFocusReason);
}

void Dialog3::Option_Click(int index) {
  for (int i = 0; i < 3; ++i) Text1[i]->setVisible(i == index);
  Text1[index]->setFocus(Qt::OtherFocusReason);
}

void Dialog3::OKButton_Click() {
  if (Option1->isChecked()) {
    SearchChartNumber();
  } else if (Option2->isChecked()) {
    SearchBeginning(1);
  } else if (Option3->isChecked()) {
    SearchBeginning(2);
  } else {
    host_.Ui().MsgBox("項目を選択して下さい。", platform::kCritical);
  }
}

void Dialog3::SearchChartNumber() {
  if (!host_.MayLeaveRegistration()) return;
  const sessions::ChartSearchOutcome found = session_.SearchChartNumber(S(Text1[0]->text()));
  // The list of an earlier search or of the whole master is gone with it.
  if (found.listDiscarded) host_.HideList();
  sessions::Show(host_.Ui(), found);
  switch (found.result) {
    case sessions::ChartSearch::Empty:
    case sessions::ChartSearch::TooLong:
    case sessions::ChartSearch::NotFound:
      Text1[0]->setFocus(Qt::OtherFocusReason);
      return;
    case sessions::ChartSearch::Failed:
    case sessions::ChartSearch::EmptyMaster:
      return;
    case sessions::ChartSearch::Found:
      break;
  }
  host_.ShowInRegistration(found);
  hide();
}

void Dialog3::SearchBeginning(int index) {
  const sessions::CommandOutcome searched = session_.SearchBeginning(
      index == 1 ? store::PatientSearchField::Name : store::PatientSearchField::Reading,
      S(Text1[index]->text()));
  if (searched.result == sessions::Done::Refused || searched.result == sessions::Done::Busy) {
    sessions::Show(host_.Ui(), searched);
    return;
  }
  // Whatever the list showed is gone.
  host_.HideList();
  sessions::Show(host_.Ui(), searched);
  if (!searched.ok() || !searched.Silent()) return;
  host_.ShowList();
  hide();
}

void Dialog3::CancelButton_Click() { hide(); }

void Dialog3::reject() { CancelButton_Click(); }
