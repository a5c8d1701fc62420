#include "patients/patient_list.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>

#include "patients/patient_windows.h"
#include "platform/qt_text.h"
#include "store/entry_rules.h"
#include "store/list_pages.h"
#include "store/patients.h"
#include "store/text_format.h"
#include "views/list_cells.h"
#include "widgets/command_guard.h"
#include "widgets/form_setup.h"

using platform::S;

Form11::Form11(PatientWindows& windows, QWidget* parent)
    : QMainWindow(parent, Qt::Window), windows_(windows) {
  setObjectName(QStringLiteral("Form11"));
  setWindowTitle(QStringLiteral("患者マスタ/一覧"));
  setFont(widgets::FormFont(views::ListFontSize(this)));

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);
  auto* grid = new QGridLayout();
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(2);
  const char* headings[6] = {"ファイルNO", "カルテNO", "氏名", "性別", "生年月日", "所属"};
  for (int c = 0; c < 6; ++c) {
    Label1[c] = views::HeadingCell(QString::fromUtf8(headings[c]), client);
    Label1[c]->setObjectName(QStringLiteral("Label1_%1").arg(c));
    grid->addWidget(Label1[c], 0, c);
  }
  store::Rows<QLabel>* columns[6] = {&Label2, &Label3, &Label4, &Label5, &Label6, &Label7};
  const char* names[6] = {"Label2", "Label3", "Label4", "Label5", "Label6", "Label7"};
  for (int r = 0; r < store::kRowsPerPage; ++r) {
    for (int c = 0; c < 6; ++c) {
      QLabel* cell = views::DataCell(client, true);
      cell->setObjectName(QStringLiteral("%1_%2").arg(QString::fromUtf8(names[c])).arg(r));
      cell->setProperty("row", r);
      cell->installEventFilter(this);
      (*columns[c])[r] = cell;
      grid->addWidget(cell, r + 1, c);
    }
    Label5[r]->setAlignment(Qt::AlignCenter);
    grid->setRowStretch(r + 1, 1);
  }
  const int stretch[6] = {3, 2, 6, 1, 3, 4};
  for (int c = 0; c < 6; ++c) grid->setColumnStretch(c, stretch[c]);

  Command5 = views::ArrowButton(false, client);
  Command5->setObjectName(QStringLiteral("Command5"));
  Command5->setText(QStringLiteral("(&B)"));
  Command4 = views::ArrowButton(true, client);
  Command4->setObjectName(QStringLiteral("Command4"));
  Command4->setText(QStringLiteral("(&N)"));
  Slider1 = views::PageSlider(client);
  Label8 = new QLabel(client);
  Label8->setObjectName(QStringLiteral("Label8"));
  Label9 = new QLabel(client);
  Label9->setObjectName(QStringLiteral("Label9"));
  Command3 = new QPushButton(QStringLiteral("閉じる(&E)"), client);
  Command3->setObjectName(QStringLiteral("Command3"));
  auto* bottom = new QHBoxLayout();
  bottom->addWidget(Command5);
  bottom->addWidget(Command4);
  bottom->addWidget(Slider1, 2);
  bottom->addSpacing(16);
  bottom->addWidget(Label8);
  bottom->addSpacing(16);
  bottom->addWidget(Label9);
  bottom->addStretch(3);
  bottom->addWidget(Command3);
  auto* outer = new QVBoxLayout(client);
  outer->addLayout(grid, 1);
  outer->addLayout(bottom);

  store::Store& store = windows_.Store();
  connect(Command4, &QPushButton::clicked, this,
          widgets::Guarded(store, [this] { Command4_Click(); }));
  connect(Command5, &QPushButton::clicked, this,
          widgets::Guarded(store, [this] { Command5_Click(); }));
  connect(Command3, &QPushButton::clicked, this,
          widgets::Guarded(store, [this] { Command3_Click(); }));
  // A page is chosen when the slider is let go, or moved by a click, a key
  // or the wheel; not at every step of a drag.
  auto slider = widgets::Guarded(store, [this] { Slider1_Click(); });
  connect(Slider1, &QSlider::sliderReleased, this, slider, Qt::QueuedConnection);
  connect(Slider1, &QSlider::actionTriggered, this, [this, slider](int action) {
    if (action == QAbstractSlider::SliderMove) return;
    QMetaObject::invokeMethod(this, slider, Qt::QueuedConnection);
  });
  Form_Load();
}

void Form11::Form_Load() { widgets::OpenMaximised(this); }

void Form11::Redraw() {
  store::ClearPatientRows(*this);
  store::ShowPatientPage(windows_.Store(), *this);
}

void Form11::Command4_Click() {
  store::Store& store = windows_.Store();
  if (!store::NextPatientPage(store)) {
    windows_.Ui().MsgBox("データは以上です。", platform::kCritical);
    return;
  }
  Redraw();
}

void Form11::Command5_Click() {
  store::Store& store = windows_.Store();
  if (!store::PreviousPatientPage(store)) {
    windows_.Ui().MsgBox("データは以上です。", platform::kCritical);
    return;
  }
  Redraw();
}

void Form11::Slider1_Click() {
  store::Store& store = windows_.Store();
  if (store.PatientListCount <= store::kRowsPerPage) {
    Slider1->setValue(store.PatientPageNumber);
    return;
  }
  store::GoToPatientPage(store, Slider1->value());
  Redraw();
}

void Form11::Row_Click(int r) {
  const QString fileNumber = Label2[r]->text();
  if (fileNumber.isEmpty()) return;
  store::Store& store = windows_.Store();
  platform::Ui& ui = windows_.Ui();
  const double n = store::NumericValue(S(fileNumber));
  // The row names its master record; a record that no longer holds the
  // row's patient (the master changed since the list was made) is found
  // again by the patient's ID.
  const std::string id = S(Label3[r]->text());
  std::int32_t at = 0;
  if (n >= 1 && n <= store.PatientCount && store.MasterFileNo) {
    if (platform::Status s =
            store.MasterFileNo->Read(static_cast<std::int32_t>(n), store.PatientBuffer);
        !s.ok()) {
      ui.ShowErrorNumber(s.error);
      return;
    }
    if (store.PatientBuffer.Get(store::PatientField::PatientId) == id) {
      at = static_cast<std::int32_t>(n);
    }
  }
  QString label9 = fileNumber;
  if (at == 0) {
    if (store::IsNumericText(id) && store.PatientCount > 0 &&
        store.LookupPatientById(static_cast<float>(store::NumericValue(id))) ==
            store::LookupOutcome::Done &&
        store.FoundPatientNo > 0) {
      at = static_cast<std::int32_t>(store.FoundPatientNo);
      (void)store.MasterFileNo->Read(at, store.PatientBuffer);
      label9 = platform::Q(store::FormatNumber(at, "000000"));
    } else {
      ui.MsgBox("登録されていません。", platform::kExclamation);
      return;
    }
  }
  windows_.ShowInRegistration(at, label9);
}

void Form11::Command3_Click() {
  if (platform::Status s = store::DiscardScratchFile(windows_.Store()); !s.ok()) {
    windows_.Ui().ShowErrorNumber(s.error);
  }
  store::ClearPatientRows(*this);
  hide();
}

bool Form11::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    const QVariant row = watched->property("row");
    if (row.isValid()) {
      if (!windows_.Store().LongOperationRunning()) Row_Click(row.toInt());
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
