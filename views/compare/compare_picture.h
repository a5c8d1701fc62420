#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <functional>
#include <optional>

// Where a picture of the comparison stands: how far it is enlarged over
// fitting the area (1: the whole picture) and which point of the picture,
// as a fraction of its width and height, lies at the centre of the area.
struct PictureView {
  double zoom = 1.0;
  QPointF centre{0.5, 0.5};

  bool operator==(const PictureView&) const = default;
};

// One picture of the comparison window. Pictures of the same paper fitted
// to areas of the same size stand at the same scale; a view (zoom and
// centre) and a crosshair given as fractions of the picture put both at the
// same place of the paper. The wheel zooms about the pointer, a drag pans, a
// double click shows the whole picture again; each change is told through
// `viewChanged` and the pointer's place through `crosshairMoved`.
class ComparePicture : public QWidget {
  Q_OBJECT

 public:
  static constexpr double kMaxZoom = 8.0;

  explicit ComparePicture(QWidget* parent = nullptr);

  // The picture as decoded (at any size: only its proportions count);
  // `text` is shown instead when there is none.
  void SetPicture(QImage picture, QString text = {});
  const QImage& Picture() const { return picture_; }

  const PictureView& View() const { return view_; }
  void SetView(PictureView view);
  // The crosshair at a fraction of the picture; none hides it.
  void SetCrosshair(std::optional<QPointF> fraction);
  std::optional<QPointF> Crosshair() const { return crosshair_; }

  // Where the picture is drawn, in the widget's pixels.
  QRectF PictureRect() const;
  // The size in device pixels the picture should be decoded at to be sharp.
  QSize WantedDecodeSize() const;

  std::function<void(const PictureView&)> viewChanged;
  std::function<void(std::optional<QPointF>)> crosshairMoved;
  std::function<void()> resized;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QRectF FittedRect() const;
  void ChangeView(PictureView view);

  QImage picture_;
  QString text_;
  PictureView view_;
  std::optional<QPointF> crosshair_;
  std::optional<QPointF> dragFrom_;
};
