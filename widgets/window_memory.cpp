#include "widgets/window_memory.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <QWidget>
#include <algorithm>

namespace widgets {
namespace {

QPointer<QSettings>& Settings() {
  static QPointer<QSettings> settings;
  return settings;
}

constexpr const char* kKeptProperty = "windowPlaceKept";

// "1366x768+0+0,1920x1080+1366+0": the screens as they are now.
QString ScreenConfiguration() {
  QStringList screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect g = screen->geometry();
    screens << QStringLiteral("%1x%2+%3+%4").arg(g.width()).arg(g.height()).arg(g.x()).arg(g.y());
  }
  return screens.join(QLatin1Char(','));
}

QString KeyOf(const QWidget* window) {
  QString name = QString::fromLatin1(window->metaObject()->className());
  if (!window->objectName().isEmpty()) name += QLatin1Char('-') + window->objectName();
  return QStringLiteral("windows/") + ScreenConfiguration() + QLatin1Char('/') + name;
}

QList<QRect> AvailableAreas() {
  QList<QRect> areas;
  for (const QScreen* screen : QGuiApplication::screens()) areas << screen->availableGeometry();
  return areas;
}

class PlaceKeeper : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide || event->type() == QEvent::Close) {
      KeepWindowPlace(static_cast<QWidget*>(watched));
    }
    return false;
  }
};

PlaceKeeper& Keeper() {
  static PlaceKeeper keeper;
  return keeper;
}

}  // namespace

void RememberWindowsIn(QSettings* settings) { Settings() = settings; }

QRect KeepOnScreen(const QRect& rect, const QList<QRect>& screens) {
  if (screens.isEmpty()) return rect;
  QRect area = screens.front();
  long long best = 0;
  for (const QRect& screen : screens) {
    const QRect common = screen.intersected(rect);
    const long long overlap = common.isEmpty() ? 0 : 1LL * common.width() * common.height();
    if (overlap > best) {
      best = overlap;
      area = screen;
    }
  }
  QRect kept(rect.topLeft(), rect.size().boundedTo(area.size()));
  kept.moveLeft(std::clamp(kept.left(), area.left(), area.right() - kept.width() + 1));
  kept.moveTop(std::clamp(kept.top(), area.top(), area.bottom() - kept.height() + 1));
  return kept;
}

void KeepWindowPlace(const QWidget* window) {
  QSettings* settings = Settings();
  if (settings == nullptr || window->isMinimized()) return;
  const bool maximised = window->isMaximized();
  QRect normal = maximised ? window->normalGeometry() : window->geometry();
  if (!normal.isValid()) normal = window->geometry();
  settings->beginGroup(KeyOf(window));
  settings->setValue(QStringLiteral("geometry"), normal);
  settings->setValue(QStringLiteral("maximised"), maximised);
  settings->endGroup();
}

bool RestoreWindowPlace(QWidget* window) {
  QSettings* settings = Settings();
  if (settings == nullptr) return false;
  if (!window->property(kKeptProperty).toBool()) {
    window->setProperty(kKeptProperty, true);
    window->installEventFilter(&Keeper());
  }
  settings->beginGroup(KeyOf(window));
  const QRect normal = settings->value(QStringLiteral("geometry")).toRect();
  const bool maximised = settings->value(QStringLiteral("maximised")).toBool();
  settings->endGroup();
  if (!normal.isValid()) return false;
  const QRect kept = KeepOnScreen(normal, AvailableAreas());
  if (maximised) {
    // The geometry too, for a display without a window manager.
    const QScreen* screen = QGuiApplication::screenAt(kept.center());
    window->setGeometry(screen != nullptr ? screen->availableGeometry() : kept);
    window->setWindowState(window->windowState() | Qt::WindowMaximized);
  } else {
    window->setWindowState(window->windowState() & ~Qt::WindowMaximized);
    window->setGeometry(kept);
  }
  return true;
}

}  // namespace widgets
