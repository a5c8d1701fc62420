#include "platform/scaled_form.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// Dynamic properties that keep a control's geometry and font at scale 1, and
// what this helper last gave it (anything else was set by the code since).
constexpr const char* kBaseGeometry = "velunorBaseGeometry";
constexpr const char* kAppliedGeometry = "velunorAppliedGeometry";
constexpr const char* kBaseFont = "velunorBaseFont";
constexpr const char* kAppliedFont = "velunorAppliedFont";

bool IsPlainContainer(const QWidget* w) {
  if (w->layout() != nullptr) return false;
  const QMetaObject* type = w->metaObject();
  return type == &QWidget::staticMetaObject || type == &QFrame::staticMetaObject ||
         qobject_cast<const QGroupBox*>(w) != nullptr;
}

int Scaled(int value, double scale) { return static_cast<int>(std::lround(value * scale)); }

QRect Scaled(const QRect& r, double scale) {
  const int left = Scaled(r.x(), scale);
  const int top = Scaled(r.y(), scale);
  return QRect(left, top, Scaled(r.x() + r.width(), scale) - left,
               Scaled(r.y() + r.height(), scale) - top);
}

}  // namespace

ScaledForm::ScaledForm(QWidget* client, QSize designSize, double minimum, double maximum,
                       QWidget* parent)
    : QScrollArea(parent),
      designSize_(designSize.isEmpty() ? client->minimumSize() : designSize),
      minimum_(minimum),
      maximum_(maximum) {
  if (designSize_.isEmpty()) designSize_ = client->size();
  setObjectName(client->objectName() + QStringLiteral("Scaler"));
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(false);
  setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  setFocusPolicy(Qt::NoFocus);
  // The client's minimum size was its design size; the scale sets its size.
  client->setMinimumSize(0, 0);
  client->resize(designSize_);
  setWidget(client);
  client->installEventFilter(this);
}

ScaledForm* ScaledForm::Wrap(QWidget* client, QSize designSize) {
  return new ScaledForm(client, designSize);
}

void ScaledForm::Rescale() {
  const QSize room = maximumViewportSize();
  if (room.isEmpty() || designSize_.isEmpty()) return;
  double scale = std::min(static_cast<double>(room.width()) / designSize_.width(),
                          static_cast<double>(room.height()) / designSize_.height());
  // Hundredths, so that a pixel more or less does not rescale every control.
  scale = std::floor(scale * 100.0) / 100.0;
  ApplyScale(scale);
}

void ScaledForm::ApplyScale(double scale) {
  scale = std::clamp(scale, minimum_, maximum_);
  QWidget* client = widget();
  if (client == nullptr || applying_) return;
  applying_ = true;
  scale_ = scale;
  client->setUpdatesEnabled(false);
  ScaleFont(client, scale);
  ScaleChildren(client, scale);
  client->resize(Scaled(designSize_.width(), scale), Scaled(designSize_.height(), scale));
  client->setUpdatesEnabled(true);
  applying_ = false;
}

void ScaledForm::ScaleFont(QWidget* w, double scale) {
  if (!w->testAttribute(Qt::WA_SetFont) && w != widget()) return;
  const QVariant applied = w->property(kAppliedFont);
  if (!w->property(kBaseFont).isValid() ||
      (applied.isValid() && applied.value<QFont>() != w->font())) {
    w->setProperty(kBaseFont, w->font());
  }
  const QFont base = w->property(kBaseFont).value<QFont>();
  QFont font = base;
  if (base.pointSizeF() > 0) {
    font.setPointSizeF(base.pointSizeF() * scale);
  } else if (base.pixelSize() > 0) {
    font.setPixelSize(std::max(1, Scaled(base.pixelSize(), scale)));
  }
  if (font != w->font()) w->setFont(font);
  w->setProperty(kAppliedFont, w->font());
}

void ScaledForm::ScaleChildren(QWidget* container, double scale) {
  for (QObject* object : container->children()) {
    auto* w = qobject_cast<QWidget*>(object);
    if (w == nullptr || w->isWindow()) continue;
    const QVariant applied = w->property(kAppliedGeometry);
    if (!w->property(kBaseGeometry).isValid() ||
        (applied.isValid() && applied.toRect() != w->geometry())) {
      w->setProperty(kBaseGeometry, w->geometry());
    }
    const QRect target = Scaled(w->property(kBaseGeometry).toRect(), scale);
    if (target != w->geometry()) w->setGeometry(target);
    w->setProperty(kAppliedGeometry, w->geometry());
    ScaleFont(w, scale);
    if (IsPlainContainer(w)) {
      w->removeEventFilter(this);
      w->installEventFilter(this);
      ScaleChildren(w, scale);
    }
  }
}

void ScaledForm::ScheduleRescale() {
  if (scheduled_) return;
  scheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    scheduled_ = false;
    ApplyScale(scale_);
  });
}

bool ScaledForm::event(QEvent* event) {
  if (event->type() == QEvent::Show || event->type() == QEvent::Polish) Rescale();
  return QScrollArea::event(event);
}

void ScaledForm::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  Rescale();
}

bool ScaledForm::eventFilter(QObject* watched, QEvent* event) {
  // A control added to the client later joins at the current scale.
  if (event->type() == QEvent::ChildAdded && !applying_) ScheduleRescale();
  return QScrollArea::eventFilter(watched, event);
}

}  // namespace platform
