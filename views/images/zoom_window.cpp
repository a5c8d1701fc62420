#include "views/images/zoom_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/pictures.h"
#include "platform/qt_printer.h"
#include "platform/qt_text.h"
#include "platform/scaled_form.h"
#include "widgets/form_setup.h"
#include "widgets/twips.h"

using platform::S;
using widgets::Px;
using widgets::Twips;

namespace {

// The crosshair stands this far left of and above the pointer's hot spot.
constexpr int kCrossOffsetTwips = 20;
const QColor kCrossEdge(40, 40, 40);
// The part of the screen the window takes when it opens.
constexpr double kScreenShare = 0.92;

}  // namespace

ZoomPicture::ZoomPicture(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::CrossCursor);
}

void ZoomPicture::SetPicture(QPixmap picture) {
  picture_ = std::move(picture);
  shown_ = QPixmap();
  update();
}

void ZoomPicture::resizeEvent(QResizeEvent* event) {
  shown_ = QPixmap();
  QWidget::resizeEvent(event);
}

QRect ZoomPicture::PictureRect() const {
  if (picture_.isNull()) return {};
  const QSize fitted =
      picture_.deviceIndependentSize().toSize().scaled(size(), Qt::KeepAspectRatio);
  return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

void ZoomPicture::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (!picture_.isNull()) {
    const qreal ratio = devicePixelRatioF();
    const QRect area = PictureRect();
    const QSize box = (QSizeF(area.size()) * ratio).toSize();
    if (shown_.isNull() || shown_.size() != box) {
      shown_ = picture_.size() == box
                   ? picture_
                   : picture_.scaled(box, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
      shown_.setDevicePixelRatio(ratio);
    }
    painter.drawPixmap(area.topLeft(), shown_);
  }
  painter.setPen(palette().windowText().color());
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  if (crossing_) {
    // Two pixels of red between dark edges: the lines stay visible on the
    // red grid of an ECG.
    const int x = crossing_->x(), y = crossing_->y();
    painter.fillRect(QRect(0, y - 1, width(), 4), kCrossEdge);
    painter.fillRect(QRect(x - 1, 0, 4, height()), kCrossEdge);
    painter.fillRect(QRect(0, y, width(), 2), Qt::red);
    painter.fillRect(QRect(x, 0, 2, height()), Qt::red);
  }
}

void ZoomPicture::mouseMoveEvent(QMouseEvent* event) {
  const int offset = std::max(1, Px(kCrossOffsetTwips));
  const QPoint at = event->position().toPoint() - QPoint(offset, offset);
  crossing_ = QPoint(std::clamp(at.x(), 0, width() - 1), std::clamp(at.y(), 0, height() - 1));
  update();
  QWidget::mouseMoveEvent(event);
}

void ZoomPicture::leaveEvent(QEvent* event) {
  crossing_.reset();
  update();
  QWidget::leaveEvent(event);
}

Form2::Form2(store::Store& store, platform::Ui& ui, platform::Printer* printer,
             std::function<std::string()> printerName, QWidget* parent)
    : QWidget(parent, Qt::Window),
      store_(store),
      ui_(ui),
      printer_(printer),
      printerName_(std::move(printerName)) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("画像/拡大"));
  setFont(widgets::FormFont(11));

  auto* client = new QWidget();
  client->setObjectName(QStringLiteral("client"));
  client->setMinimumSize(Px(15015), Px(10260));
  Image1 = new ZoomPicture(client);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(Twips(120, 120, 14775, 9255));
  Label1 = new QLabel(client);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(Twips(240, 9465, 9000, 330));
  Label2 = new QLabel(client);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setGeometry(Twips(240, 9840, 9000, 330));
  Command1 = new QPushButton(QStringLiteral("印刷(&P)"), client);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setGeometry(Twips(11400, 9540, 1635, 555));
  Command1->setEnabled(printer_ != nullptr);
  Command2 = new QPushButton(QStringLiteral("閉じる(&E)"), client);
  Command2->setObjectName(QStringLiteral("Command2"));
  Command2->setGeometry(Twips(13260, 9540, 1635, 555));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(platform::ScaledForm::Wrap(client));
  connect(Command1, &QPushButton::clicked, this, [this] {
    if (!store_.LongOperationRunning()) Command1_Click();
  });
  connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);

  resize(Px(15015), Px(10260));
  if (QScreen* screen = this->screen()) {
    // Most of the screen, in the form's proportions: the picture is seen
    // large, the form scaled to the window.
    const QRect free = screen->availableGeometry();
    const QSize size =
        this->size().scaled((QSizeF(free.size()) * kScreenShare).toSize(), Qt::KeepAspectRatio);
    setGeometry(QRect(free.topLeft() + QPoint((free.width() - size.width()) / 2,
                                              (free.height() - size.height()) / 2),
                      size));
  }
}

QSize Form2::PictureBox() const {
  const QSize shown = Image1->size().expandedTo(Twips(0, 0, 14775, 9255).size());
  return (QSizeF(shown) * Image1->devicePixelRatioF()).toSize();
}

void Form2::SetPicture(const QPixmap& picture, std::string sourceFile) {
  Image1->SetPicture(picture);
  sourceFile_ = picture.isNull() ? std::string() : std::move(sourceFile);
}

bool Form2::LoadPicture(const std::string& imageFile, int* error) {
  Image1->Clear();
  sourceFile_.clear();
  const QImage picture = platform::ReadPictureScaled(store_.Files(), imageFile, PictureBox(), error,
                                                     Qt::KeepAspectRatio);
  if (picture.isNull()) return false;
  SetPicture(QPixmap::fromImage(picture), imageFile);
  return true;
}

void Form2::Command1_Click() {
  if (printer_ == nullptr || Image1->Empty()) return;
  const std::string printerName = printerName_ ? printerName_() : printer_->DeviceName();
  (void)platform::PrintLandscapePage(
      ui_, *printer_, printerName, "心電図画像", [this](platform::Printer& printer) {
        // The file the picture came from prints at its full resolution.
        QImage picture;
        if (!sourceFile_.empty()) {
          picture = platform::ReadPicture(store_.Files(), sourceFile_);
        }
        if (picture.isNull()) picture = Image1->Picture().toImage();
        printer.FontName = "ＭＳ ゴシック";
        printer.FontSize = 12;
        printer.FontBold = false;
        printer.SetPrintPosition(5, 1);
        (void)printer.Print(S(Label1->text()));
        printer.SetPrintPosition(5, 2);
        (void)printer.Print(S(Label2->text()));
        (void)printer.PaintPicture(platform::PictureFromImage(picture), 5, 5, kZoomPictureColumns,
                                   40);
      });
}

void Form2::Command2_Click() {
  SetPicture(QPixmap());
  hide();
}

void Form2::closeEvent(QCloseEvent* event) {
  // The window's ×: 閉じる(&E), which hides it with its picture emptied.
  Command2_Click();
  event->accept();
}

void Form2::keyPressEvent(QKeyEvent* event) {
  // Esc: the window's cancel button.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    Command2->click();
    return;
  }
  QWidget::keyPressEvent(event);
}
