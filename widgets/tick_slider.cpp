#include "widgets/tick_slider.h"

#include <QDataStream>
#include <QIODevice>
#include <QPainter>
#include <QStyleOptionSlider>

namespace widgets {

namespace {

// Everything of the option that the tick marks are drawn from.
QByteArray TicksKey(const QStyleOptionSlider& opt, const QStyle* style, qreal ratio) {
  QByteArray key;
  QDataStream out(&key, QIODevice::WriteOnly);
  out << opt.rect << opt.minimum << opt.maximum << opt.singleStep << opt.pageStep
      << opt.tickInterval << static_cast<int>(opt.tickPosition) << static_cast<int>(opt.orientation)
      << static_cast<int>(opt.state) << static_cast<int>(opt.direction) << opt.upsideDown
      << opt.palette.cacheKey() << ratio << reinterpret_cast<quintptr>(style);
  return key;
}

}  // namespace

TickSlider::TickSlider(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {}

void TickSlider::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  if (tickPosition() == NoTicks) {
    opt.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &painter, this);
    return;
  }
  // The style draws groove, tick marks and handle in that order; the same
  // three layers here, the middle one kept.
  const qreal ratio = devicePixelRatioF();
  const QByteArray key = TicksKey(opt, style(), ratio);
  if (key != ticksKey_) {
    ticks_ = QPixmap((QSizeF(size()) * ratio).toSize());
    ticks_.setDevicePixelRatio(ratio);
    ticks_.fill(Qt::transparent);
    QPainter layer(&ticks_);
    QStyleOptionSlider marks = opt;
    marks.subControls = QStyle::SC_SliderTickmarks;
    style()->drawComplexControl(QStyle::CC_Slider, &marks, &layer, this);
    ticksKey_ = key;
  }
  opt.subControls = QStyle::SC_SliderGroove;
  style()->drawComplexControl(QStyle::CC_Slider, &opt, &painter, this);
  painter.drawPixmap(0, 0, ticks_);
  opt.subControls = QStyle::SC_SliderHandle;
  style()->drawComplexControl(QStyle::CC_Slider, &opt, &painter, this);
}

}  // namespace widgets
