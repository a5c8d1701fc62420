#include "widgets/form_setup.h"

#include "platform/ui.h"
#include "widgets/window_memory.h"

#include <QScreen>
#include <QStringList>
#include <QWidget>

namespace widgets {

const QString& kFormFont() {
  static const QString name = QStringLiteral("ＭＳ ゴシック");
  return name;
}

void RegisterFontSubstitution() {
  static bool done = false;
  if (done) return;
  done = true;
  QFont::insertSubstitutions(kFormFont(),
                             {QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                              QStringLiteral("Noto Sans CJK JP"), QStringLiteral("TakaoGothic"),
                              QStringLiteral("VL Gothic")});
}

QFont FormFont(int pointSize, bool bold) {
  RegisterFontSubstitution();
  QFont font(kFormFont(), pointSize);
  font.setBold(bold);
  return font;
}

void OpenMaximised(QWidget* window) {
  if (RestoreWindowPlace(window)) return;
  if (QScreen* screen = window->screen()) window->setGeometry(screen->availableGeometry());
  window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void ShowInFront(QWidget* window) {
  if (!window->isVisible()) RestoreWindowPlace(window);
  window->show();
  window->raise();
  window->activateWindow();
}

void ShowAboveMainWindow(platform::Ui& ui, QWidget* window) {
  ui.Lower();
  ShowInFront(window);
}

}  // namespace widgets
