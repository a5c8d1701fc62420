#include "views/print_range_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

#include "platform/qt_text.h"
#include "store/text_format.h"
#include "views/list_print.h"
#include "widgets/enter_moves_on.h"
#include "widgets/form_setup.h"
#include "widgets/progress_window.h"
#include "widgets/twips.h"

using platform::S;
using widgets::Twips;

namespace {

// A range box's value rounded to the nearest whole number, halves to even.
double RangeValue(const QLineEdit* box) {
  return std::nearbyint(store::NumericValue(S(box->text())));
}

}  // namespace

Dialog4::Dialog4(sessions::ExamListSession& list, platform::Ui& ui, platform::Printer& printer,
                 std::function<std::string()> currentPrinter, QWidget* parent)
    : QDialog(parent),
      list_(list),
      ui_(ui),
      printer_(printer),
      currentPrinter_(std::move(currentPrinter)) {
  setObjectName(QStringLiteral("Dialog4"));
  setWindowTitle(QStringLiteral("印刷範囲指定"));
  setFont(widgets::FormFont(9));
  setFixedSize(Twips(0, 0, 5400, 2520).size());

  Option1 = new QRadioButton(QStringLiteral("範囲指定"), this);
  Option1->setObjectName(QStringLiteral("Option1"));
  Option1->setGeometry(Twips(240, 180, 1500, 300));
  Option2 = new QRadioButton(QStringLiteral("全て"), this);
  Option2->setObjectName(QStringLiteral("Option2"));
  Option2->setGeometry(Twips(240, 1380, 1500, 300));

  Label1 = new QLabel(QStringLiteral("ファイルNO"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(Twips(480, 600, 1200, 300));
  QPalette red = Label1->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  Label1->setPalette(red);
  for (int i = 0; i < 2; ++i) {
    Text1[i] = new QLineEdit(this);
    Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
    Text1[i]->setGeometry(Twips(480 + 1560 * i, 900, 1095, 345));
    Text1[i]->setAttribute(Qt::WA_InputMethodEnabled, false);
  }
  auto* enter = new widgets::EnterMovesOn(this);
  for (QLineEdit* box : Text1) enter->Add(box);
  Label2 = new QLabel(QStringLiteral("～"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setGeometry(Twips(1650, 930, 300, 300));
  Label2->setAlignment(Qt::AlignCenter);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(Twips(3960, 120, 1215, 390));
  OKButton->setDefault(false);
  OKButton->setAutoDefault(false);
  CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  CancelButton->setGeometry(Twips(3960, 600, 1215, 390));
  CancelButton->setAutoDefault(false);

  setTabOrder(Option1, Text1[0]);
  setTabOrder(Text1[0], Text1[1]);
  setTabOrder(Text1[1], Option2);
  setTabOrder(Option2, OKButton);
  setTabOrder(OKButton, CancelButton);

  connect(Option1, &QRadioButton::clicked, this, &Dialog4::Option1_Click);
  connect(Option2, &QRadioButton::clicked, this, &Dialog4::Option2_Click);
  connect(OKButton, &QPushButton::clicked, this, &Dialog4::OKButton_Click);
  connect(CancelButton, &QPushButton::clicked, this, &Dialog4::CancelButton_Click);
}

void Dialog4::Open() {
  for (QLineEdit* box : Text1) {
    box->clear();
    box->setVisible(true);
  }
  Label1->setVisible(true);
  Label2->setVisible(true);
  setModal(false);
  widgets::ShowInFront(this);
  Option1->setChecked(true);
  Option1_Click();
}

void Dialog4::Option1_Click() {
  for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                     static_cast<QWidget*>(Text1[0]), static_cast<QWidget*>(Text1[1])}) {
    w->setVisible(true);
  }
  Text1[0]->setFocus();
}

void Dialog4::Option2_Click() {
  for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                     static_cast<QWidget*>(Text1[0]), static_cast<QWidget*>(Text1[1])}) {
    w->setVisible(false);
  }
}

void Dialog4::CancelButton_Click() { hide(); }

platform::Progress& Dialog4::Progress() {
  if (progress_ != nullptr) return *progress_;
  if (dialog2_ == nullptr) dialog2_ = new Dialog2(this);
  return *dialog2_;
}

void Dialog4::reject() { CancelButton_Click(); }

void Dialog4::OKButton_Click() {
  if (list_.LongOperationRunning()) return;
  if (!Option1->isChecked() && !Option2->isChecked()) return;
  const auto range =
      list_.PrintRange(Option2->isChecked(), RangeValue(Text1[0]), RangeValue(Text1[1]));
  if (!range) {
    ui_.MsgBox("入力が不正です。", platform::kOkOnly);
    Text1[0]->setFocus();
    return;
  }
  const auto [first, last] = *range;

  platform::JobResult result;
  platform::Status printed;
  const bool ran = list_.RunLongOperation([&] {
    platform::Progress& progress = Progress();
    ui_.SetBusyCursor(true);
    progress.BeginPhase("印刷中・・・", views::ListPageCount(last - first + 1));
    (void)printer_.SetCurrentPrinter(currentPrinter_ ? currentPrinter_() : printer_.DeviceName());
    printer_.BeginJob(views::ListPrintTitle(first, last));
    printed = views::PrintRecordList(list_, printer_, first, last,
                                     [&progress](int page) { progress.Advance(page); });
    result = printer_.EndJob();
    progress.Hide();
    ui_.SetBusyCursor(false);
  });
  if (!ran) return;
  if (!printed.ok()) {
    ui_.ShowErrorNumber(printed.error);
    return;
  }
  hide();
  platform::ShowPdfFile(ui_, result);
}
