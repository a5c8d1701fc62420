#include "views/compare/compare_picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

const QColor kCrossEdge(40, 40, 40);

// The centre kept where the enlarged picture still covers the area.
QPointF Clamped(const PictureView& view) {
  const double half = 0.5 / view.zoom;
  return {std::clamp(view.centre.x(), half, 1.0 - half),
          std::clamp(view.centre.y(), half, 1.0 - half)};
}

}  // namespace

ComparePicture::ComparePicture(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setCursor(Qt::CrossCursor);
  setMinimumSize(200, 140);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ComparePicture::SetPicture(QImage picture, QString text) {
  picture_ = std::move(picture);
  text_ = std::move(text);
  update();
}

void ComparePicture::SetView(PictureView view) {
  view.zoom = std::clamp(view.zoom, 1.0, kMaxZoom);
  view.centre = Clamped(view);
  if (view == view_) return;
  view_ = view;
  update();
}

void ComparePicture::ChangeView(PictureView view) {
  const PictureView before = view_;
  SetView(view);
  if (view_ != before && viewChanged) viewChanged(view_);
}

void ComparePicture::SetCrosshair(std::optional<QPointF> fraction) {
  crosshair_ = fraction;
  update();
}

QRectF ComparePicture::FittedRect() const {
  if (picture_.isNull()) return {};
  const QSizeF fitted = QSizeF(picture_.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
  return QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

QRectF ComparePicture::PictureRect() const {
  const QRectF fitted = FittedRect();
  if (fitted.isEmpty()) return {};
  const QSizeF size = fitted.size() * view_.zoom;
  const QPointF centre = fitted.center();
  return QRectF(centre.x() - view_.centre.x() * size.width(),
                centre.y() - view_.centre.y() * size.height(), size.width(), size.height());
}

QSize ComparePicture::WantedDecodeSize() const {
  const QSizeF shown = FittedRect().size() * std::min(view_.zoom, 3.0) * devicePixelRatioF();
  return shown.toSize();
}

void ComparePicture::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  const QRectF area = PictureRect();
  if (!picture_.isNull()) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(area, picture_);
  } else if (!text_.isEmpty()) {
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, text_);
  }
  painter.setPen(palette().windowText().color());
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  if (crosshair_ && !area.isEmpty()) {
    // Two pixels of red between dark edges, as in the zoom window.
    const int x = static_cast<int>(area.left() + crosshair_->x() * area.width());
    const int y = static_cast<int>(area.top() + crosshair_->y() * area.height());
    painter.fillRect(QRect(0, y - 1, width(), 4), kCrossEdge);
    painter.fillRect(QRect(x - 1, 0, 4, height()), kCrossEdge);
    painter.fillRect(QRect(0, y, width(), 2), Qt::red);
    painter.fillRect(QRect(x, 0, 2, height()), Qt::red);
  }
}

void ComparePicture::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragFrom_ = event->position();
  QWidget::mousePressEvent(event);
}

void ComparePicture::mouseMoveEvent(QMouseEvent* event) {
  const QRectF area = PictureRect();
  if (dragFrom_ && !area.isEmpty()) {
    const QPointF moved = event->position() - *dragFrom_;
    dragFrom_ = event->position();
    PictureView view = view_;
    view.centre -= QPointF(moved.x() / area.width(), moved.y() / area.height());
    ChangeView(view);
  }
  std::optional<QPointF> at;
  if (area.contains(event->position())) {
    at = QPointF((event->position().x() - area.left()) / area.width(),
                 (event->position().y() - area.top()) / area.height());
  }
  SetCrosshair(at);
  if (crosshairMoved) crosshairMoved(at);
  QWidget::mouseMoveEvent(event);
}

void ComparePicture::mouseReleaseEvent(QMouseEvent* event) {
  dragFrom_.reset();
  QWidget::mouseReleaseEvent(event);
}

void ComparePicture::mouseDoubleClickEvent(QMouseEvent* event) {
  ChangeView(PictureView{});
  QWidget::mouseDoubleClickEvent(event);
}

void ComparePicture::wheelEvent(QWheelEvent* event) {
  const QRectF area = PictureRect();
  if (area.isEmpty()) return;
  // The point of the paper under the pointer stays under it.
  const QPointF pointer = event->position();
  const QPointF paper((pointer.x() - area.left()) / area.width(),
                      (pointer.y() - area.top()) / area.height());
  PictureView view = view_;
  view.zoom =
      std::clamp(view_.zoom * std::pow(1.25, event->angleDelta().y() / 120.0), 1.0, kMaxZoom);
  const QRectF fitted = FittedRect();
  const QSizeF size = fitted.size() * view.zoom;
  view.centre = QPointF(paper.x() - (pointer.x() - fitted.center().x()) / size.width(),
                        paper.y() - (pointer.y() - fitted.center().y()) / size.height());
  ChangeView(view);
  event->accept();
}

void ComparePicture::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (resized) resized();
}

void ComparePicture::leaveEvent(QEvent* event) {
  dragFrom_.reset();
  SetCrosshair(std::nullopt);
  if (crosshairMoved) crosshairMoved(std::nullopt);
  QWidget::leaveEvent(event);
}
