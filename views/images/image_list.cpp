#include "views/images/image_list.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/scaled_form.h"
#include "store/image_pages.h"
#include "widgets/command_guard.h"
#include "widgets/form_setup.h"
#include "widgets/tick_slider.h"
#include "widgets/twips.h"

using widgets::Px;
using widgets::Twips;

namespace {

constexpr int kCellWidth = 4815;
constexpr int kCellHeight = 2415;
constexpr int kColumnLeft[2] = {2520, 9360};
constexpr int kRowTop[3] = {120, 3720, 7200};
constexpr int kLineTwips = 300;

QLabel* Caption(QWidget* parent, const QString& text, QRect where) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(where);
  return label;
}

}  // namespace

Form8::Form8(store::Store& store, sessions::ImageListSession& session, platform::Ui& ui,
             QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), session_(session), ui_(ui) {
  setObjectName(QStringLiteral("Form8"));
  setWindowTitle(QStringLiteral("画像一覧"));
  setFont(widgets::FormFont(9));

  auto* client = new QWidget();
  client->setObjectName(QStringLiteral("client"));
  client->setMinimumSize(Px(14400), Px(10560));
  const QString captions[3] = {QStringLiteral("ﾌｧｲﾙNO："), QStringLiteral("検査日："),
                               QStringLiteral("氏名：")};
  for (int k = 0; k < store::kImageCells; ++k) {
    const int left = kColumnLeft[k % 2];
    const int top = kRowTop[k / 2];
    Image1[k] = new QLabel(client);
    Image1[k]->setObjectName(QStringLiteral("Image1_%1").arg(k));
    Image1[k]->setGeometry(Twips(left, top, kCellWidth, kCellHeight));
    Image1[k]->setScaledContents(true);
    Image1[k]->setFrameShape(QFrame::Box);
    Image1[k]->setCursor(Qt::PointingHandCursor);
    Image1[k]->setToolTip(QStringLiteral("クリックして詳細表示"));
    Image1[k]->setProperty("cell", k);
    Image1[k]->installEventFilter(this);
    std::array<QLabel*, store::kImageCells>* values[3] = {&Label2, &Label3, &Label4};
    const char* names[3] = {"Label2", "Label3", "Label4"};
    for (int line = 0; line < 3; ++line) {
      const int y = top + kCellHeight + 30 + line * kLineTwips;
      Caption(client, captions[line], Twips(left, y, 1200, kLineTwips))
          ->setObjectName(QStringLiteral("Caption%1_%2").arg(line).arg(k));
      auto* value = new QLabel(client);
      value->setObjectName(QStringLiteral("%1_%2").arg(QString::fromUtf8(names[line])).arg(k));
      value->setGeometry(Twips(left + 1200, y, kCellWidth - 1200, kLineTwips));
      (*values[line])[k] = value;
    }
  }

  Command2 = new QPushButton(style()->standardIcon(QStyle::SP_ArrowLeft), QString(), client);
  Command2->setObjectName(QStringLiteral("Command2"));
  Command2->setGeometry(Twips(240, 120, 1020, 615));
  Command2->setIconSize(QSize(24, 24));
  Command2->setToolTip(QStringLiteral("前のページ"));
  Command1 = new QPushButton(style()->standardIcon(QStyle::SP_ArrowRight), QString(), client);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setGeometry(Twips(1320, 120, 1020, 615));
  Command1->setIconSize(QSize(24, 24));
  Command1->setToolTip(QStringLiteral("次のページ"));
  Slider1 = new widgets::TickSlider(Qt::Horizontal, client);
  Slider1->setObjectName(QStringLiteral("Slider1"));
  Slider1->setGeometry(Twips(240, 840, 2100, 615));
  Slider1->setToolTip(QStringLiteral("表示するページを選ぶ"));
  Slider1->setTickPosition(QSlider::TicksBelow);
  Slider1->setFocusPolicy(Qt::StrongFocus);
  Command3 = new QPushButton(QStringLiteral("閉じる(&E)"), client);
  Command3->setObjectName(QStringLiteral("Command3"));
  Command3->setGeometry(Twips(240, 9840, 2100, 555));

  area_ = platform::ScaledForm::Wrap(client);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(area_);

  // A catch-up with another workstation may close the list before its command runs.
  connect(Command1, &QPushButton::clicked, this, widgets::Guarded(store_, [this] {
            if (isVisible()) Command1_Click();
          }));
  connect(Command2, &QPushButton::clicked, this, widgets::Guarded(store_, [this] {
            if (isVisible()) Command2_Click();
          }));
  connect(Command3, &QPushButton::clicked, this, &Form8::Command3_Click);
  // A position is taken when the slider is let go, or moved by a click, a
  // key or the wheel; not at every step of a drag.
  auto slid = widgets::Guarded(store_, [this] {
    if (isVisible()) Slider1_Click();
  });
  connect(Slider1, &QSlider::sliderReleased, this, slid, Qt::QueuedConnection);
  connect(Slider1, &QSlider::actionTriggered, this, [this, slid](int action) {
    if (action != QAbstractSlider::SliderMove)
      QMetaObject::invokeMethod(this, slid, Qt::QueuedConnection);
  });
  store::ClearImageCells(*this);
  widgets::OpenMaximised(this);
}

bool Form8::DrawPage(const sessions::ImagePageOutcome& page) {
  if (page.draw) {
    store::ClearImageCells(*this);
    if (isVisible()) area_->Rescale();
    const QSize shown = Image1[0]->size().expandedTo(Twips(0, 0, kCellWidth, kCellHeight).size());
    CellBox = (QSizeF(shown) * devicePixelRatioF()).toSize();
    store::ShowImagePage(store_.Files(), *this, page.cells, thumbnails);
  }
  sessions::Show(ui_, page);
  return page.draw;
}

void Form8::Open() {
  store::ClearImageCells(*this);
  Slider1->setRange(1, session_.SliderMaximum());
  Slider1->setValue(1);
  if (showWindow) {
    showWindow(this);
  } else {
    widgets::ShowInFront(this);
  }
  DrawPage(session_.Open());
}

void Form8::Command1_Click() {
  const sessions::ImagePageOutcome page = session_.Next();
  if (DrawPage(page)) Slider1->setValue(page.searchStart);
}

void Form8::Command2_Click() {
  const sessions::ImagePageOutcome page = session_.Previous();
  if (DrawPage(page)) Slider1->setValue(page.searchStart);
}

void Form8::Slider1_Click() { DrawPage(session_.Slider(Slider1->value())); }

void Form8::Image1_Click(int k) {
  const int n = session_.CellRecord(CellRecordNo[k]);
  if (n != 0 && openDetail) openDetail(n);
}

void Form8::Command3_Click() { hide(); }

void Form8::FollowDrive(const sessions::ImageFollowOutcome& followed) {
  Slider1->setMaximum(followed.sliderMaximum);
  if (followed.list == sessions::ImageFollow::Closed) {
    hide();
  } else if (followed.list == sessions::ImageFollow::Redrawn && DrawPage(followed.page)) {
    Slider1->setValue(followed.page.searchStart);
  }
}

bool Form8::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    const QVariant cell = watched->property("cell");
    if (cell.isValid()) {
      if (!store_.LongOperationRunning()) Image1_Click(cell.toInt());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void Form8::keyPressEvent(QKeyEvent* event) {
  // Esc: the window's cancel button.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    Command3->click();
    return;
  }
  QWidget::keyPressEvent(event);
}
