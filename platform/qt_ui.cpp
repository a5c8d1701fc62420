#include "platform/qt_ui.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QPushButton>
#include <QUrl>
#include <QWindow>

namespace platform {

namespace {

// The window a box belongs to: the program's window the user works in (a
// vocabulary window, a list view...), else the main window.
QWidget* BoxOwner(QWidget* mainWindow) {
  QWidget* active = QApplication::activeWindow();
  if (active != nullptr && !active->windowFlags().testFlag(Qt::Popup) &&
      qobject_cast<QMessageBox*>(active) == nullptr) {
    return active;
  }
  return mainWindow != nullptr ? mainWindow->window() : nullptr;
}

// A box of a short message ("終了。") is narrower than its title: the
// title bar would show only "…". The box is made as wide as its title
// needs, with room for the title bar's buttons.
void KeepTitleVisible(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr || box.windowTitle().isEmpty()) return;
  const int width = QFontMetrics(box.font()).horizontalAdvance(box.windowTitle()) + 120;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

int QtUi::MsgBox(std::string_view prompt, int style, std::string_view title) {
  const QPointer<QWidget> owner = BoxOwner(parent_.data());
  QMessageBox box(owner.data());
  box.setWindowTitle(Q(title));
  box.setText(Q(prompt));
  switch (style & 0x70) {
    case kCritical:
      box.setIcon(QMessageBox::Critical);
      break;
    case kQuestion:
      box.setIcon(QMessageBox::Question);
      break;
    case kExclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case kInformation:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      box.setIcon(QMessageBox::NoIcon);
      break;
  }
  struct Button {
    const char* label;
    int answer;
    QMessageBox::ButtonRole role;
  };
  std::vector<Button> buttons;
  switch (style & 0x7) {
    case kOkCancel:
      buttons = {{"OK", kAnswerOk, QMessageBox::AcceptRole},
                 {"キャンセル", kAnswerCancel, QMessageBox::RejectRole}};
      break;
    case kYesNoCancel:
      buttons = {{"はい", kAnswerYes, QMessageBox::YesRole},
                 {"いいえ", kAnswerNo, QMessageBox::NoRole},
                 {"キャンセル", kAnswerCancel, QMessageBox::RejectRole}};
      break;
    case kYesNo:
      buttons = {{"はい", kAnswerYes, QMessageBox::YesRole},
                 {"いいえ", kAnswerNo, QMessageBox::NoRole}};
      break;
    default:
      buttons = {{"OK", kAnswerOk, QMessageBox::AcceptRole}};
      break;
  }
  std::vector<std::pair<QAbstractButton*, int>> answers;
  for (const Button& b : buttons) {
    QPushButton* button = box.addButton(QString::fromUtf8(b.label), b.role);
    answers.emplace_back(button, b.answer);
  }
  const std::size_t enter = (style & kDefaultButton2) != 0 && answers.size() > 1 ? 1 : 0;
  box.setDefaultButton(static_cast<QPushButton*>(answers[enter].first));
  // Esc: Cancel where there is one, else No, else (an OK box) OK.
  QAbstractButton* escape = answers.back().first;
  box.setEscapeButton(escape);
  KeepTitleVisible(box);
  box.exec();
  // The window that asked is in front and active again once its box is
  // gone, as on Windows.
  if (owner && owner->isVisible()) {
    owner->raise();
    owner->activateWindow();
  }
  QAbstractButton* clicked = box.clickedButton();
  for (const auto& [button, answer] : answers) {
    if (button == clicked) return answer;
  }
  return answers.back().second;
}

int QtUi::MsgBoxWithButtons(std::string_view prompt, const std::vector<std::string>& buttons) {
  const QPointer<QWidget> owner = BoxOwner(parent_.data());
  QMessageBox box(owner.data());
  box.setWindowTitle(Q(kAppTitle));
  box.setText(Q(prompt));
  box.setIcon(QMessageBox::Information);
  std::vector<QAbstractButton*> extra;
  for (const std::string& label : buttons) {
    extra.push_back(box.addButton(Q(label), QMessageBox::ActionRole));
  }
  QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
  if (owner && owner->isVisible()) {
    owner->raise();
    owner->activateWindow();
  }
  for (std::size_t i = 0; i < extra.size(); ++i) {
    if (box.clickedButton() == extra[i]) return static_cast<int>(i);
  }
  return -1;
}

void QtUi::OpenWithDesktop(const std::string& hostPath) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(hostPath)));
}

void QtUi::DoEvents() { QApplication::processEvents(); }

void QtUi::SetBusyCursor(bool busy) {
  if (busy) {
    if (busyDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
    QApplication::restoreOverrideCursor();
  }
}

namespace {

// The program's own visible top-level windows other than `main`, in their
// stacking order as far as Qt knows it (the order they were shown or raised).
QList<QWidget*> SecondaryWindows(const QWidget* main) {
  QList<QWidget*> windows;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w != main && w->isVisible() && !w->isMinimized() && !w->windowFlags().testFlag(Qt::Popup) &&
        !w->windowFlags().testFlag(Qt::ToolTip)) {
      windows.push_back(w);
    }
  }
  return windows;
}

}  // namespace

// "Topmost" and "bottom" order the program's own windows only. The main
// window never gets the stay-on-top hint, which would keep it above every
// other program on the desktop.
void QtUi::SetStayOnTop(bool onTop) {
  if (!parent_) return;
  QWidget* window = parent_->window();
  if (QWindow* handle = window->windowHandle();
      handle != nullptr && handle->flags().testFlag(Qt::WindowStaysOnTopHint)) {
    handle->setFlag(Qt::WindowStaysOnTopHint, false);
  }
  // Raised above the program's other windows while the program is the one
  // the user works in; a program in the background does not jump forward.
  if (onTop && QGuiApplication::applicationState() == Qt::ApplicationActive) window->raise();
}

void QtUi::Lower() {
  if (!parent_) return;
  QWidget* window = parent_->window();
  if (QWindow* handle = window->windowHandle();
      handle != nullptr && handle->flags().testFlag(Qt::WindowStaysOnTopHint)) {
    handle->setFlag(Qt::WindowStaysOnTopHint, false);
  }
  // Below the program's own windows, not below other programs: the others
  // are raised above it instead of sending it to the bottom of the desktop.
  for (QWidget* w : SecondaryWindows(window)) w->raise();
}

}  // namespace platform
