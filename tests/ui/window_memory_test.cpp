// Windows come back where they were left, on a screen that is there.
#include "widgets/window_memory.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

#include "widgets/form_setup.h"

namespace {

using widgets::KeepOnScreen;

TEST(WindowMemory, APlaceIsKeptOnAScreenThatIsThere) {
  const QRect left(0, 0, 1366, 768);
  const QRect right(1366, 0, 1920, 1080);
  struct Case {
    const char* what;
    QRect rect;
    QList<QRect> screens;
    QRect kept;
  };
  const Case cases[] = {
      {"inside stays", {100, 50, 400, 300}, {left}, {100, 50, 400, 300}},
      {"over the right edge comes in", {1200, 50, 400, 300}, {left}, {966, 50, 400, 300}},
      {"above the top comes down", {100, -40, 400, 300}, {left}, {100, 0, 400, 300}},
      {"too large shrinks", {-10, -10, 2000, 900}, {left}, {0, 0, 1366, 768}},
      {"on the second screen stays", {2000, 500, 400, 300}, {left, right}, {2000, 500, 400, 300}},
      {"the second screen gone", {2000, 500, 400, 300}, {left}, {966, 468, 400, 300}},
      {"mostly on the second", {1300, 10, 400, 300}, {left, right}, {1366, 10, 400, 300}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeepOnScreen(c.rect, c.screens), c.kept) << c.what;
  }
}

class WindowPlaces : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    settings = std::make_unique<QSettings>(dir.filePath(QStringLiteral("windows.ini")),
                                           QSettings::IniFormat);
    widgets::RememberWindowsIn(settings.get());
    area = QGuiApplication::primaryScreen()->availableGeometry();
  }
  void TearDown() override { widgets::RememberWindowsIn(nullptr); }

  static std::unique_ptr<QWidget> Window() {
    auto window = std::make_unique<QWidget>();
    window->setObjectName(QStringLiteral("probe"));
    return window;
  }

  QTemporaryDir dir;
  std::unique_ptr<QSettings> settings;
  QRect area;
};

TEST_F(WindowPlaces, AWindowComesBackWhereItWasLeft) {
  const QRect moved(area.topLeft() + QPoint(30, 20), QSize(320, 200));
  {
    auto window = Window();
    EXPECT_FALSE(widgets::RestoreWindowPlace(window.get()));
    window->setGeometry(moved);
    widgets::ShowInFront(window.get());
    window->close();
  }
  auto again = Window();
  widgets::ShowInFront(again.get());
  EXPECT_EQ(again->geometry(), moved);
  EXPECT_FALSE(again->isMaximized());

  // A window that opens maximised stays so until the user changes that.
  auto other = std::make_unique<QWidget>();
  other->setObjectName(QStringLiteral("maximised"));
  widgets::OpenMaximised(other.get());
  EXPECT_TRUE(other->windowState().testFlag(Qt::WindowMaximized));
  other->show();
  other->setWindowState(Qt::WindowNoState);
  other->setGeometry(moved);
  other->close();
  other = std::make_unique<QWidget>();
  other->setObjectName(QStringLiteral("maximised"));
  widgets::OpenMaximised(other.get());
  EXPECT_FALSE(other->windowState().testFlag(Qt::WindowMaximized));
  EXPECT_EQ(other->geometry(), moved);
  other->setWindowState(Qt::WindowMaximized);
  other->close();
  other = std::make_unique<QWidget>();
  other->setObjectName(QStringLiteral("maximised"));
  EXPECT_TRUE(widgets::RestoreWindowPlace(other.get()));
  EXPECT_TRUE(other->windowState().testFlag(Qt::WindowMaximized));
}

TEST_F(WindowPlaces, APlaceOffTheScreensComesBackOnOne) {
  const QRect far(area.right() + 500, area.bottom() + 500, 300, 200);
  settings->setValue(QStringLiteral("windows/unused/probe"), 0);  // other groups do no harm
  {
    auto window = Window();
    widgets::ShowInFront(window.get());
    window->setGeometry(far);
    window->hide();
  }
  auto again = Window();
  ASSERT_TRUE(widgets::RestoreWindowPlace(again.get()));
  EXPECT_TRUE(area.contains(again->geometry())) << again->geometry().x();
  EXPECT_EQ(again->size(), far.size());
}

}  // namespace
