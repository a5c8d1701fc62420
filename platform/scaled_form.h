#pragma once

#include <QScrollArea>
#include <QSize>

namespace platform {

// A form whose controls stand at fixed positions (laid out in twips, at the
// size the form was designed for) made to fit any screen: the form's client
// widget is put in a scroll area that scales it to the space it has.
//
// The scale is the largest that shows the whole client in the scroll area,
// kept between `minimum` and `maximum`: on a large screen the form grows,
// keeping its proportions, fonts included, instead of sitting small in a
// corner; on a small screen (1366 x 768 with a desktop panel) it shrinks a
// little, and below `minimum` scroll bars appear rather than cutting
// anything off. The client is centred horizontally when the height limits
// the scale.
//
// The geometry the code gives a control is its geometry at scale 1 and stays
// the layout: every control of the client, and of the plain containers in it
// (QWidget, QFrame, QGroupBox without a layout), is placed at its own
// geometry times the scale, and every explicitly set font size is scaled (the
// client's font too, so that inherited fonts follow). A control moved or given
// a font by the code later, or added later, is taken at its new geometry and
// font at scale 1 the next time the form is scaled (on every resize, or
// through Rescale()). Complex controls (combo boxes, calendars, text boxes)
// are scaled as a whole; their insides follow their fonts and sizes.
class ScaledForm : public QScrollArea {
  Q_OBJECT

 public:
  // Takes `client` (its parent becomes the scroll area); `designSize` is the
  // client's size at scale 1 (the client's minimum size when empty).
  explicit ScaledForm(QWidget* client, QSize designSize = {}, double minimum = 0.9,
                      double maximum = 4.0, QWidget* parent = nullptr);

  // Wraps `client` and returns the scroll area to put in its place, e.g.
  //   setCentralWidget(platform::ScaledForm::Wrap(client));
  static ScaledForm* Wrap(QWidget* client, QSize designSize = {});

  QWidget* Client() const { return widget(); }
  double Scale() const { return scale_; }
  QSize DesignSize() const { return designSize_; }

  // Computes the scale for the space the scroll area has now and applies it.
  void Rescale();
  // Applies a given scale (clamped to the limits) regardless of the space.
  void ApplyScale(double scale);

 protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ScaleChildren(QWidget* container, double scale);
  void ScaleFont(QWidget* w, double scale);
  void ScheduleRescale();

  QSize designSize_;
  double minimum_;
  double maximum_;
  double scale_ = 1.0;
  bool scheduled_ = false;
  bool applying_ = false;
};

}  // namespace platform
