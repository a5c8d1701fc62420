#include "views/list_view2.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

#include "views/list_cells.h"
#include "views/row_menu.h"
#include "widgets/escape_closes.h"
#include "widgets/form_setup.h"

namespace {

enum Kind { kDataCell, kComment, kFindings, kArrhythmias };

void Tag(QObject* o, int row, Kind kind) {
  o->setProperty("row", row);
  o->setProperty("kind", static_cast<int>(kind));
}

// A read-only box of a row; its clicks are taken by the view.
template <typename Box>
Box* RowBox(QWidget* parent, const QString& name) {
  auto* box = new Box(parent);
  box->setObjectName(name);
  box->setFocusPolicy(Qt::NoFocus);
  box->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  box->viewport()->setCursor(Qt::PointingHandCursor);
  return box;
}

}  // namespace

Form13::Form13(views::ListCommands& list, QWidget* parent)
    : QMainWindow(parent, Qt::Window), list_(list) {
  setObjectName(QStringLiteral("Form13"));
  setWindowTitle(QStringLiteral("一覧②"));
  const int points = views::ListFontSize(this);
  setFont(widgets::FormFont(points));
  // The boxes hold more text a row; a size smaller keeps more of a list in view.
  const QFont boxFont = widgets::FormFont(std::max(points - 1, 10));

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);
  auto* grid = new QGridLayout();
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(2);

  const char* headings[7] = {"ファイルNO",        "検査日", "ID", "氏名", "コメント",
                             "誘導部位/異常所見", "不整脈"};
  for (int c = 0; c < 7; ++c) {
    Label1[c] = views::HeadingCell(QString::fromUtf8(headings[c]), client);
    Label1[c]->setObjectName(QStringLiteral("Label1_%1").arg(c));
    grid->addWidget(Label1[c], 0, c + 1);
  }

  for (int r = 0; r < store::kRowsPerPage; ++r) {
    Label11[r] = views::PositionCell(client);
    Label11[r]->setObjectName(QStringLiteral("Label11_%1").arg(r));
    grid->addWidget(Label11[r], r + 1, 0);
    store::Rows<QLabel>* columns[4] = {&Label2, &Label3, &Label4, &Label5};
    const char* names[4] = {"Label2", "Label3", "Label4", "Label5"};
    for (int c = 0; c < 4; ++c) {
      QLabel* cell = views::DataCell(client, true);
      cell->setObjectName(QStringLiteral("%1_%2").arg(QString::fromUtf8(names[c])).arg(r));
      Tag(cell, r, kDataCell);
      cell->installEventFilter(this);
      (*columns[c])[r] = cell;
      grid->addWidget(cell, r + 1, c + 1);
    }
    Text1[r] = RowBox<QPlainTextEdit>(client, QStringLiteral("Text1_%1").arg(r));
    Text1[r]->setReadOnly(true);
    Text1[r]->setFont(boxFont);
    Text1[r]->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    List1[r] = RowBox<QListWidget>(client, QStringLiteral("List1_%1").arg(r));
    List2[r] = RowBox<QListWidget>(client, QStringLiteral("List2_%1").arg(r));
    for (QListWidget* l : {List1[r], List2[r]}) {
      l->setFont(boxFont);
      l->setSelectionMode(QAbstractItemView::NoSelection);
      l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      l->setTextElideMode(Qt::ElideNone);
    }
    Tag(Text1[r]->viewport(), r, kComment);
    Tag(List1[r]->viewport(), r, kFindings);
    Tag(List2[r]->viewport(), r, kArrhythmias);
    for (QWidget* w : {Text1[r]->viewport(), List1[r]->viewport(), List2[r]->viewport()}) {
      w->installEventFilter(this);
    }
    grid->addWidget(Text1[r], r + 1, 5);
    grid->addWidget(List1[r], r + 1, 6);
    grid->addWidget(List2[r], r + 1, 7);
    grid->setRowStretch(r + 1, 1);
  }
  const int stretch[8] = {0, 3, 4, 3, 6, 9, 9, 6};
  for (int c = 0; c < 8; ++c) grid->setColumnStretch(c, stretch[c]);
  Label11[0]->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QStringLiteral("000000")));

  views::TakePageBar(this, client, grid);

  GAMEN1 = menuBar()->addMenu(QStringLiteral("画面(&G)"));
  GAMEN1->setObjectName(QStringLiteral("GAMEN1"));
  backdata = GAMEN1->addAction(QStringLiteral("前のデータ(&B)"));
  backdata->setObjectName(QStringLiteral("backdata"));
  nextdata = GAMEN1->addAction(QStringLiteral("次のデータ(&N)"));
  nextdata->setObjectName(QStringLiteral("nextdata"));
  ITIRAN_1 = menuBar()->addAction(QStringLiteral("一覧①"));
  ITIRAN_1->setObjectName(QStringLiteral("ITIRAN_1"));

  connect(backdata, &QAction::triggered, this, &Form13::backdata_Click);
  connect(nextdata, &QAction::triggered, this, &Form13::nextdata_Click);
  connect(ITIRAN_1, &QAction::triggered, this, &Form13::ITIRAN_1_Click);

  widgets::OpenMaximised(this);
}

void Form13::EnablePrint(bool on) { Command4->setEnabled(on); }

void Form13::Command1_Click() { list_.PreviousPage(); }
void Form13::Command2_Click() { list_.NextPage(); }
void Form13::Slider1_Click() { list_.SliderPage(Slider1->value()); }
void Form13::Row_Click(int i) { list_.OpenRowRecord(this, RowKey[i]); }
void Form13::Text1_Click(int i) { list_.ShowRowComment(RowKey[i]); }
void Form13::List1_Click(int i) { list_.ShowRowFindings(RowKey[i]); }
void Form13::List2_Click(int i) { list_.ShowRowArrhythmias(RowKey[i]); }
void Form13::ITIRAN_1_Click() { list_.ShowView1(); }

void Form13::Command3_Click() {
  // Closing here hides list view 1 as well.
  list_.Close();
}

void Form13::Command4_Click() { list_.Print(); }

bool Form13::eventFilter(QObject* watched, QEvent* event) {
  const QVariant at = watched->property("row");
  if (at.isValid() && views::RowContextMenu(this, watched, event, RowKey[at.toInt()], list_)) {
    return true;
  }
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    const QVariant row = watched->property("row");
    if (row.isValid()) {
      const int i = row.toInt();
      switch (watched->property("kind").toInt()) {
        case kComment:
          Text1_Click(i);
          break;
        case kFindings:
          List1_Click(i);
          break;
        case kArrhythmias:
          List2_Click(i);
          break;
        default:
          Row_Click(i);
          break;
      }
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
