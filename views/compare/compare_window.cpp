#include "views/compare/compare_window.h"

#include <optional>

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/pictures.h"
#include "platform/qt_text.h"
#include "platform/thumbnails.h"
#include "store/records.h"
#include "widgets/escape_closes.h"

using platform::Q;
using sessions::CompareField;
using sessions::CompareSession;
using store::ExamField;

namespace {

constexpr std::array<const char*, 7> kCaptions = {"検査日",         "年齢",   "心拍数",  "所属",
                                                  "誘導部位・所見", "不整脈", "コメント"};
const QString kDiffering = QStringLiteral("background-color:#fff0a0;");
const QSize kThumbnail(120, 84);

// The field's text as the pane shows it.
QString FieldText(const store::ExamRecord& r, CompareField field) {
  switch (field) {
    case CompareField::Date:
      return Q(r.Get(ExamField::ExamDate));
    case CompareField::Age:
      return Q(r.Get(ExamField::Age));
    case CompareField::HeartRate:
      return Q(r.Get(ExamField::HeartRate));
    case CompareField::Department:
      return Q(r.Get(ExamField::Department));
    case CompareField::LeadSites: {
      QStringList lines;
      for (int i = 0; i < 5; ++i) {
        const QString line = (Q(r.Get(store::LeadSiteField(i))) + QStringLiteral("　") +
                              Q(r.Get(store::FindingField(i))))
                                 .trimmed();
        if (!line.isEmpty()) lines << line;
      }
      return lines.join(QLatin1Char('\n'));
    }
    case CompareField::Arrhythmias: {
      QStringList entries;
      for (int i = 0; i < 5; ++i) {
        if (QString a = Q(r.Get(store::ArrhythmiaField(i))); !a.isEmpty()) entries << a;
      }
      return entries.join(QStringLiteral("、"));
    }
    case CompareField::Comment:
      return Q(r.Get(ExamField::Comment));
  }
  return {};
}

}  // namespace

CompareWindow::CompareWindow(store::Store& store, sessions::CompareSession& session,
                             platform::Ui& ui, platform::Printer* printer,
                             std::function<std::string()> printerName, QWidget* parent)
    : QWidget(parent, Qt::Window),
      store_(store),
      session_(session),
      ui_(ui),
      printer_(printer),
      printerName_(std::move(printerName)) {
  setObjectName(QStringLiteral("CompareWindow"));
  setWindowTitle(QStringLiteral("過去の検査と比較"));
  auto* layout = new QVBoxLayout(this);

  auto* bar = new QHBoxLayout;
  notice = new QLabel(this);
  notice->setStyleSheet(QStringLiteral("color:#b00000;"));
  linked = new QCheckBox(QStringLiteral("拡大・移動を連動(&L)"), this);
  linked->setChecked(true);
  zoomIn = new QPushButton(QStringLiteral("拡大(+)"), this);
  zoomOut = new QPushButton(QStringLiteral("縮小(-)"), this);
  whole = new QPushButton(QStringLiteral("全体(&W)"), this);
  print = new QPushButton(QStringLiteral("印刷(&P)"), this);
  close = new QPushButton(QStringLiteral("閉じる(&E)"), this);
  print->setEnabled(printer_ != nullptr);
  auto* legend = new QLabel(QStringLiteral("　異なる項目 "), this);
  legend->setStyleSheet(kDiffering);
  bar->addWidget(notice, 1);
  bar->addWidget(legend);
  for (QWidget* w : std::initializer_list<QWidget*>{linked, zoomIn, zoomOut, whole, print, close}) {
    bar->addWidget(w);
  }
  layout->addLayout(bar);

  auto* sides = new QHBoxLayout;
  for (int pane = 0; pane < 2; ++pane) {
    auto* column = new QWidget(this);
    auto* inner = new QVBoxLayout(column);
    inner->setContentsMargins(0, 0, 0, 0);
    panes[pane] = BuildPane(pane);
    inner->addWidget(panes[pane].heading);
    auto* grid = new QGridLayout;
    for (int f = 0; f < 7; ++f) {
      grid->addWidget(panes[pane].captions[f], f, 0, Qt::AlignTop);
      grid->addWidget(panes[pane].values[f], f, 1);
    }
    grid->setColumnStretch(1, 1);
    inner->addLayout(grid);
    inner->addWidget(panes[pane].picture, 1);
    auto* steps = new QHBoxLayout;
    steps->addWidget(panes[pane].back);
    steps->addWidget(panes[pane].strip, 1);
    steps->addWidget(panes[pane].forward);
    inner->addLayout(steps);
    sides->addWidget(column, 1);
  }
  layout->addLayout(sides, 1);

  connect(zoomIn, &QPushButton::clicked, this, [this] { ZoomBoth(1.25); });
  connect(zoomOut, &QPushButton::clicked, this, [this] { ZoomBoth(1 / 1.25); });
  connect(whole, &QPushButton::clicked, this, [this] { ZoomBoth(0); });
  connect(linked, &QCheckBox::toggled, this, [this](bool on) {
    if (on) ViewChanged(CompareSession::kRight, panes[CompareSession::kRight].picture->View());
  });
  connect(print, &QPushButton::clicked, this, [this] {
    if (!store_.LongOperationRunning()) Print_Click();
  });
  connect(close, &QPushButton::clicked, this, &QWidget::hide);
  zoomIn->setShortcut(QKeySequence(Qt::Key_Plus));
  zoomOut->setShortcut(QKeySequence(Qt::Key_Minus));
  widgets::EscapeClicks(this, close);

  resize(1200, 800);
  if (QScreen* screen = this->screen()) {
    const QRect free = screen->availableGeometry();
    setGeometry(free.adjusted(free.width() / 30, free.height() / 30, -free.width() / 30,
                              -free.height() / 30));
  }
}

CompareWindow::Pane CompareWindow::BuildPane(int pane) {
  Pane p;
  p.heading = new QLabel(this);
  QFont bold = p.heading->font();
  bold.setBold(true);
  p.heading->setFont(bold);
  for (int f = 0; f < 7; ++f) {
    p.captions[f] = new QLabel(QString::fromUtf8(kCaptions[f]) + QStringLiteral("："), this);
    p.values[f] = new QLabel(this);
    p.values[f]->setWordWrap(true);
    p.values[f]->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  p.picture = new ComparePicture(this);
  p.picture->viewChanged = [this, pane](const PictureView& view) { ViewChanged(pane, view); };
  p.picture->crosshairMoved = [this, pane](std::optional<QPointF> at) {
    panes[1 - pane].picture->SetCrosshair(at);
  };
  p.picture->resized = [this, pane] { Sharpen(pane); };
  p.back = new QPushButton(QStringLiteral("◀"), this);
  p.forward = new QPushButton(QStringLiteral("▶"), this);
  p.back->setToolTip(QStringLiteral("前の検査"));
  p.forward->setToolTip(QStringLiteral("次の検査"));
  p.strip = new QListWidget(this);
  p.strip->setViewMode(QListView::IconMode);
  p.strip->setFlow(QListView::LeftToRight);
  p.strip->setWrapping(false);
  p.strip->setMovement(QListView::Static);
  p.strip->setIconSize(kThumbnail);
  p.strip->setFixedHeight(kThumbnail.height() + 48);
  p.strip->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  connect(p.back, &QPushButton::clicked, this, [this, pane] { Step(pane, -1); });
  connect(p.forward, &QPushButton::clicked, this, [this, pane] { Step(pane, +1); });
  connect(p.strip, &QListWidget::currentRowChanged, this, [this, pane](int row) {
    if (row >= 0 && row != session_.View().panes[pane].position) Show(session_.Select(pane, row));
  });
  return p;
}

bool CompareWindow::Open(int record) {
  const sessions::CompareView view = session_.Open(record);
  if (!view.opened) {
    sessions::Show(ui_, view);
    return false;
  }
  Present(view);
  return true;
}

void CompareWindow::FollowDrive() {
  if (!isVisible()) return;
  const std::optional<sessions::CompareView> view = session_.FollowDrive();
  if (!view) return;
  if (!view->opened) {
    hide();
    sessions::Show(ui_, *view);
    return;
  }
  Present(*view);
}

void CompareWindow::Present(const sessions::CompareView& view) {
  thumbnails_.assign(view.strip.size(), QIcon());
  thumbnailsTried_ = 0;
  for (Pane& p : panes) {
    const QSignalBlocker quiet(p.strip);
    p.strip->clear();
    for (const auto& entry : view.strip) {
      auto* item = new QListWidgetItem(Q(entry.date), p.strip);
      item->setSizeHint(QSize(kThumbnail.width() + 12, kThumbnail.height() + 28));
    }
  }
  for (Pane& p : panes) p.picture->SetView(PictureView{});
  pictureFiles_ = {};
  decodedFor_ = {};
  Show(view);
  // The strip fills in a few pictures at a time once the window is on screen.
  const int opening = ++opening_;
  auto* loader = new QTimer(this);
  connect(loader, &QTimer::timeout, this, [this, loader, opening] {
    if (opening == opening_ && LoadStripPictures(2)) return;
    loader->stop();
    loader->deleteLater();
  });
  loader->start(0);
}

void CompareWindow::Step(int pane, int delta) { Show(session_.Step(pane, delta)); }

void CompareWindow::Show(const sessions::CompareView& view) {
  notice->setText(view.messages.empty() ? QString() : Q(view.messages.front().text));
  for (int pane = 0; pane < 2; ++pane) ShowPane(pane, view.panes[pane], view);
}

void CompareWindow::ShowPane(int pane, const sessions::ComparePane& shown,
                             const sessions::CompareView& view) {
  Pane& p = panes[pane];
  const bool empty = shown.record == 0;
  p.heading->setText(empty ? QString()
                           : (pane == CompareSession::kRight ? QStringLiteral("表示中の検査　")
                                                             : QStringLiteral("比較する検査　")) +
                                 Q(shown.exam.Get(ExamField::Name)) + QStringLiteral("　ID ") +
                                 Q(shown.exam.Get(ExamField::PatientId)) +
                                 QStringLiteral("　ファイルＮＯ ") + QString::number(shown.record));
  for (int f = 0; f < 7; ++f) {
    const auto field = static_cast<CompareField>(f);
    p.values[f]->setText(empty ? QString() : FieldText(shown.exam, field));
    p.values[f]->setStyleSheet(view.Differs(field) ? kDiffering : QString());
    p.captions[f]->setVisible(!empty);
  }
  const int last = static_cast<int>(view.strip.size()) - 1;
  p.back->setEnabled(!empty && shown.position > 0);
  p.forward->setEnabled(!empty && shown.position < last);
  p.strip->setEnabled(!empty);
  {
    const QSignalBlocker quiet(p.strip);
    p.strip->setCurrentRow(empty ? -1 : shown.position);
  }
  if (!empty && p.strip->currentItem()) p.strip->scrollToItem(p.strip->currentItem());
  LoadPicture(pane, empty ? std::string() : shown.picturePath, shown.missingPicture);
}

void CompareWindow::LoadPicture(int pane, const std::string& file, const std::string& missing) {
  ComparePicture* picture = panes[pane].picture;
  if (file.empty()) {
    pictureFiles_[pane].clear();
    picture->SetPicture(QImage(), Q(missing));
    return;
  }
  const QSize box = picture->Picture().isNull()
                        ? (QSizeF(picture->size()) * picture->devicePixelRatioF()).toSize()
                        : picture->WantedDecodeSize();
  if (file == pictureFiles_[pane] && box.width() <= decodedFor_[pane].width() &&
      box.height() <= decodedFor_[pane].height()) {
    return;
  }
  int error = 0;
  const QImage image =
      platform::ReadPictureScaled(store_.Files(), file, box, &error, Qt::KeepAspectRatio);
  picture->SetPicture(image, image.isNull() ? Q(platform::ErrorText(error)) : QString());
  pictureFiles_[pane] = image.isNull() ? std::string() : file;
  decodedFor_[pane] = box;
}

void CompareWindow::Sharpen(int pane) {
  if (!pictureFiles_[pane].empty()) LoadPicture(pane, pictureFiles_[pane], {});
}

void CompareWindow::ViewChanged(int pane, const PictureView& view) {
  if (linked->isChecked()) panes[1 - pane].picture->SetView(view);
  for (int p = 0; p < 2; ++p) Sharpen(p);
}

void CompareWindow::ZoomBoth(double factor) {
  for (int pane = 0; pane < 2; ++pane) {
    PictureView view = panes[pane].picture->View();
    view.zoom = factor == 0 ? 1.0 : view.zoom * factor;
    if (factor == 0) view.centre = {0.5, 0.5};
    panes[pane].picture->SetView(view);
  }
  for (int p = 0; p < 2; ++p) Sharpen(p);
}

QIcon CompareWindow::StripPicture(int position) {
  const std::string file = session_.PictureOf(position);
  if (file.empty()) return {};
  // The user's thumbnail cache first; a drive the cache cannot see (no host
  // path) decodes here.
  QImage small =
      platform::Thumbnail(store_.Files().HostPath(file), kThumbnail, Qt::KeepAspectRatio);
  if (small.isNull()) {
    small =
        platform::ReadPictureScaled(store_.Files(), file, kThumbnail, nullptr, Qt::KeepAspectRatio);
  }
  return small.isNull() ? QIcon() : QIcon(QPixmap::fromImage(small));
}

bool CompareWindow::LoadStripPictures(int count) {
  for (; thumbnailsTried_ < thumbnails_.size() && count > 0; ++thumbnailsTried_, --count) {
    const int i = static_cast<int>(thumbnailsTried_);
    thumbnails_[thumbnailsTried_] = StripPicture(i);
    for (Pane& p : panes) {
      if (QListWidgetItem* item = p.strip->item(i)) item->setIcon(thumbnails_[thumbnailsTried_]);
    }
  }
  return thumbnailsTried_ < thumbnails_.size();
}
