#include "patients/patient_search_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "patients/patient_windows.h"
#include "platform/qt_text.h"
#include "store/entry_rules.h"
#include "store/long_operation.h"
#include "store/patients.h"
#include "store/text_format.h"
#include "widgets/command_guard.h"
#include "widgets/enter_moves_on.h"
#include "widgets/form_setup.h"

using platform::S;

Dialog3::Dialog3(PatientWindows& windows, QWidget* parent) : QDialog(parent), windows_(windows) {
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

  store::Store& store = windows_.Store();
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
  windows_.Ui().DoEvents();
  windows_.Show(this);
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
    windows_.Ui().MsgBox("項目を選択して下さい。", platform::kCritical);
  }
}

void Dialog3::SearchChartNumber() {
  store::Store& store = windows_.Store();
  platform::Ui& ui = windows_.Ui();
  const QString text = Text1[0]->text();
  if (text.isEmpty()) {
    ui.MsgBox("カルテＮＯを入力してください。", platform::kCritical);
    Text1[0]->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (text.size() >= 7) {
    ui.MsgBox("カルテＮＯは６字以内で入力してください。", platform::kCritical);
    Text1[0]->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (platform::Status s = store::DiscardScratchFile(store); !s.ok()) {
    ui.ShowErrorNumber(s.error);
    return;
  }
  // The list of an earlier search or of the whole master is gone with it.
  windows_.HideList();
  const std::string id = S(text);
  // Text that is no number is nobody's chart number (its value 0 would
  // find the patient 000000).
  if (store::IsNumericText(id)) {
    switch (store.LookupPatientById(static_cast<float>(store::NumericValue(id)))) {
      case store::LookupOutcome::EmptyMaster:
        ui.MsgBox("患者マスタのデータ数は０です。", platform::kCritical);
        return;
      case store::LookupOutcome::ReadFailed:
        ui.ShowErrorNumber(platform::kDeviceIoError);
        return;
      case store::LookupOutcome::Done:
        break;
    }
  } else {
    store.FoundPatientNo = 0;
  }
  const auto n = static_cast<std::int32_t>(store.FoundPatientNo);
  if (n == 0) {
    ui.MsgBox("登録されていません。", platform::kExclamation);
    Text1[0]->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (platform::Status s = store.MasterFileNo->Read(n, store.PatientBuffer); !s.ok()) {
    ui.ShowErrorNumber(s.error);
    return;
  }
  windows_.ShowInRegistration(n, platform::Q(store::FormatNumber(n, "000000")));
  hide();
}

void Dialog3::SearchBeginning(int index) {
  store::Store& store = windows_.Store();
  platform::Ui& ui = windows_.Ui();
  const QString text = Text1[index]->text();
  if (text.isEmpty()) {
    ui.MsgBox(index == 1 ? "氏名の最初の何文字かを入力して下さい。"
                         : "ヨミカタの最初の何文字かを入力して下さい。");
    return;
  }
  std::int32_t hits = 0;
  platform::Status searched;
  {
    store::LongOperation operation(store);
    if (!operation) return;
    ui.SetBusyCursor(true);
    searched = store::SearchPatients(
        store, index == 1 ? store::PatientSearchField::Name : store::PatientSearchField::Reading,
        S(text), windows_.Progress(), hits);
    ui.SetBusyCursor(false);
  }
  // Whatever the list showed is gone.
  windows_.HideList();
  if (!searched.ok()) {
    ui.ShowErrorNumber(searched.error);
    return;
  }
  if (hits == 0) {
    ui.MsgBox("登録されていません。", platform::kCritical);
    return;
  }
  windows_.ShowList();
  hide();
}

void Dialog3::CancelButton_Click() { hide(); }

void Dialog3::reject() { CancelButton_Click(); }
