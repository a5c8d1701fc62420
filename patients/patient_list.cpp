#include "patients/patient_list.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>

#include <QSignalBlocker>

#include "platform/qt_text.h"
#include "store/list_pages.h"
#include "views/list_cells.h"
#include "widgets/command_guard.h"
#include "widgets/escape_closes.h"
#include "widgets/form_setup.h"

using platform::Q;

Form11::Form11(sessions::PatientSession& session, PatientWindowHost& host, QWidget* parent)
    : QMainWindow(parent, Qt::Window), session_(session), host_(host) {
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
  widgets::EscapeClicks(this, Command3);
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

  store::Store& store = host_.Store();
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
  const sessions::PatientListPage page = session_.Page();
  for (std::size_t r = 0; r < page.rows.size(); ++r) {
    const sessions::PatientListRow& row = page.rows[r];
    Label2[r]->setText(Q(row.fileNumber));
    Label3[r]->setText(Q(row.id));
    Label4[r]->setText(Q(row.name));
    Label5[r]->setText(Q(row.sex));
    Label6[r]->setText(Q(row.birthDate));
    Label7[r]->setText(Q(row.department));
  }
  Label8->setText(Q(store::RecordCountText(page.count)));
  Label9->setText(Q(store::PageIndicator(page.pageNumber, page.pageCount)));
  const QSignalBlocker quiet(Slider1);
  Slider1->setRange(1, page.pageCount);
  Slider1->setValue(page.pageNumber);
}

void Form11::Command4_Click() {
  const sessions::Outcome moved = session_.NextPage();
  sessions::Show(host_.Ui(), moved);
  if (moved.Silent()) Redraw();
}

void Form11::Command5_Click() {
  const sessions::Outcome moved = session_.PreviousPage();
  sessions::Show(host_.Ui(), moved);
  if (moved.Silent()) Redraw();
}

void Form11::Slider1_Click() {
  if (!session_.GoToPage(Slider1->value())) {
    Slider1->setValue(session_.PageNumber());
    return;
  }
  Redraw();
}

void Form11::Row_Click(int r) {
  if (!host_.MayLeaveRegistration()) return;
  const sessions::PatientShown row = session_.OpenRow(r);
  sessions::Show(host_.Ui(), row);
  if (row.shown()) host_.ShowInRegistration(row);
}

void Form11::Command3_Click() {
  sessions::Show(host_.Ui(), session_.DiscardList());
  store::ClearPatientRows(*this);
  hide();
}

bool Form11::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    const QVariant row = watched->property("row");
    if (row.isValid()) {
      if (!host_.Store().LongOperationRunning()) Row_Click(row.toInt());
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
