#include "views/list_view1.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>

#include "views/list_cells.h"
#include "views/row_menu.h"
#include "widgets/escape_closes.h"
#include "widgets/form_setup.h"

namespace {

// The picture cell's icon: a strip of ECG trace.
QPixmap TraceIcon(int height) {
  const int h = std::max(height, 12);
  QPixmap icon(h * 2, h);
  icon.fill(Qt::white);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0xF0, 0xB0, 0xB0), 1));
  for (int x = 0; x < icon.width(); x += h / 4) painter.drawLine(x, 0, x, h);
  painter.setPen(QPen(Qt::darkRed, 1.5));
  const double y0 = h * 0.6;
  const QPointF trace[] = {{0, y0},
                           {h * 0.5, y0},
                           {h * 0.6, y0 - h * 0.1},
                           {h * 0.7, y0},
                           {h * 0.8, y0 + h * 0.1},
                           {h * 0.9, h * 0.1},
                           {h * 1.0, h * 0.85},
                           {h * 1.1, y0},
                           {h * 1.4, y0 - h * 0.15},
                           {h * 1.6, y0},
                           {h * 2.0, y0}};
  painter.drawPolyline(trace, static_cast<int>(std::size(trace)));
  return icon;
}

}  // namespace

Form5::Form5(views::ListCommands& list, QWidget* parent)
    : QMainWindow(parent, Qt::Window), list_(list) {
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(QStringLiteral("一覧①"));
  const int points = views::ListFontSize(this);
  setFont(widgets::FormFont(points));

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);
  auto* grid = new QGridLayout();
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(2);

  const char* headings[7] = {"ファイルNO", "検査日", "ID", "氏名", "性別", "年齢", "所属"};
  for (int c = 0; c < 7; ++c) {
    Label1[c] = views::HeadingCell(QString::fromUtf8(headings[c]), client);
    Label1[c]->setObjectName(QStringLiteral("Label1_%1").arg(c));
    grid->addWidget(Label1[c], 0, c + 1);
  }
  Label12 = views::HeadingCell(QStringLiteral("HR"), client);
  Label12->setObjectName(QStringLiteral("Label12"));
  grid->addWidget(Label12, 0, 8);
  Label14 = views::HeadingCell(QStringLiteral("画像"), client);
  Label14->setObjectName(QStringLiteral("Label14"));
  grid->addWidget(Label14, 0, 9);

  const QPixmap icon = TraceIcon(QFontMetrics(font()).height());
  for (int r = 0; r < store::kRowsPerPage; ++r) {
    Label11[r] = views::PositionCell(client);
    grid->addWidget(Label11[r], r + 1, 0);
    store::Rows<QLabel>* columns[8] = {&Label2, &Label3, &Label4, &Label5,
                                       &Label6, &Label7, &Label8, &Label13};
    const char* names[8] = {"Label2", "Label3", "Label4", "Label5",
                            "Label6", "Label7", "Label8", "Label13"};
    for (int c = 0; c < 8; ++c) {
      QLabel* cell = views::DataCell(client, true);
      cell->setObjectName(QStringLiteral("%1_%2").arg(QString::fromUtf8(names[c])).arg(r));
      cell->setProperty("row", r);
      cell->installEventFilter(this);
      (*columns[c])[r] = cell;
      grid->addWidget(cell, r + 1, c + 1);
    }
    Label11[r]->setObjectName(QStringLiteral("Label11_%1").arg(r));
    for (QLabel* centred : {Label6[r], Label7[r], Label13[r]})
      centred->setAlignment(Qt::AlignCenter);
    Image1[r] = new QLabel(client);
    Image1[r]->setObjectName(QStringLiteral("Image1_%1").arg(r));
    Image1[r]->setPixmap(icon);
    Image1[r]->setAlignment(Qt::AlignCenter);
    Image1[r]->setCursor(Qt::PointingHandCursor);
    Image1[r]->setToolTip(QStringLiteral("画像を表示"));
    Image1[r]->setProperty("row", r);
    Image1[r]->installEventFilter(this);
    QSizePolicy keep = Image1[r]->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Image1[r]->setSizePolicy(keep);
    grid->addWidget(Image1[r], r + 1, 9);
    grid->setRowStretch(r + 1, 1);
  }
  // Widths in proportion to what the columns hold.
  const int stretch[10] = {0, 3, 4, 3, 8, 2, 2, 8, 2, 2};
  for (int c = 0; c < 10; ++c) grid->setColumnStretch(c, stretch[c]);
  Label11[0]->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QStringLiteral("000000")));

  views::TakePageBar(this, client, grid);

  GAMEN = menuBar()->addMenu(QStringLiteral("画面(&G)"));
  GAMEN->setObjectName(QStringLiteral("GAMEN"));
  BDATA = GAMEN->addAction(QStringLiteral("前のデータ(&B)"));
  BDATA->setObjectName(QStringLiteral("BDATA"));
  NDATA = GAMEN->addAction(QStringLiteral("次のデータ(&N)"));
  NDATA->setObjectName(QStringLiteral("NDATA"));
  ITIRAN_2 = menuBar()->addAction(QStringLiteral("一覧②"));
  ITIRAN_2->setObjectName(QStringLiteral("ITIRAN_2"));

  connect(BDATA, &QAction::triggered, this, &Form5::BDATA_Click);
  connect(NDATA, &QAction::triggered, this, &Form5::NDATA_Click);
  connect(ITIRAN_2, &QAction::triggered, this, &Form5::ITIRAN_2_Click);

  Form_Load();
}

void Form5::Form_Load() { widgets::OpenMaximised(this); }

void Form5::EnablePrint(bool on) { Command4->setEnabled(on); }

void Form5::Command1_Click() { list_.PreviousPage(); }
void Form5::Command2_Click() { list_.NextPage(); }
void Form5::Slider1_Click() { list_.SliderPage(Slider1->value()); }
void Form5::Row_Click(int i) { list_.OpenRowRecord(this, RowKey[i]); }
void Form5::Image1_Click(int i) { list_.ShowRowImage(RowKey[i]); }
void Form5::ITIRAN_2_Click() { list_.ShowView2(); }
void Form5::Command3_Click() { list_.Close(); }

void Form5::Command4_Click() { list_.Print(); }

bool Form5::eventFilter(QObject* watched, QEvent* event) {
  const QVariant at = watched->property("row");
  if (at.isValid() && views::RowContextMenu(this, watched, event, RowKey[at.toInt()], list_)) {
    return true;
  }
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    const QVariant row = watched->property("row");
    if (row.isValid()) {
      const int i = row.toInt();
      if (watched == Image1[i]) {
        Image1_Click(i);
      } else {
        Row_Click(i);
      }
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
