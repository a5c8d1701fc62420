#pragma once

#include <QPixmap>
#include <QSlider>

namespace widgets {

// A QSlider that looks exactly like one, for ranges with many tick marks (a
// page slider over thousands of pages): the tick marks are drawn once into
// a layer kept until the size, the range, the steps, the palette or the
// state change, so that moving the handle repaints the groove and the
// handle over the kept layer instead of every tick.
class TickSlider : public QSlider {
  Q_OBJECT

 public:
  explicit TickSlider(Qt::Orientation orientation, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap ticks_;
  QByteArray ticksKey_;
};

}  // namespace widgets
